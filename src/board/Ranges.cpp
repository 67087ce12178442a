// The three range queries of a piece: where it can move, what it can attack, where a purchase can appear.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/TileMap.h"
#include "board/Unit.h"

namespace {
struct WorkEntry {
    Vector2 tile;
    int32_t points;
};

bool Listed(const std::vector<Vector2>& tiles, Vector2 tile)
{
    return std::any_of(tiles.begin(), tiles.end(), [&](Vector2 t) { return SameTile(t, tile); });
}

Vector2 Add(Vector2 a, Vector2 b)
{
    return {a.x + b.x, a.y + b.y};
}
}  // namespace

std::vector<Vector2> Unit::GetReachableTiles() const
{
    std::vector<Vector2> result;
    if (map == nullptr) {
        return result;
    }
    std::vector<WorkEntry> work = {{GetTile(), speed}};
    while (!work.empty()) {
        WorkEntry current = work.back();
        work.pop_back();
        for (Vector2 offset : neighbourOffsets) {
            Vector2 next = Add(current.tile, offset);
            TileType tile = map->GetTile(next);
            int32_t left = current.points - tile.moveCost;
            if (!tile.blocked && map->GetUnitAt(next) == nullptr && left >= 0 && !Listed(result, next)) {
                work.push_back({next, left});
                result.push_back(next);
            }
        }
        // NOTE: stable, so among equal points the entry added last is expanded next;
        // the result's order depends on it and the opponents break ties by that order.
        std::stable_sort(work.begin(), work.end(),
                         [](const WorkEntry& a, const WorkEntry& b) { return a.points < b.points; });
    }
    return result;
}

std::vector<Vector2> Unit::GetAttackTargets(Vector2 from) const
{
    std::vector<Vector2> result;
    if (map == nullptr) {
        return result;
    }
    for (Unit* piece : map->GetUnits()) {
        if (piece->team == team) {
            continue;
        }
        Vector2 tile = piece->GetTile();
        auto distance = static_cast<int32_t>(std::fabs(tile.y - from.y) + std::fabs(tile.x - from.x));
        // Castles are captured only from a neighbouring tile, whatever the attacker's range.
        int32_t reach = dynamic_cast<Castle*>(piece) != nullptr ? 1 : range;
        if (distance <= reach) {
            result.push_back(tile);
        }
    }
    return result;
}

std::vector<Vector2> Unit::GetSpawnTiles() const
{
    std::vector<Vector2> result;
    if (map == nullptr) {
        return result;
    }
    for (Vector2 offset : neighbourOffsets) {
        Vector2 next = Add(GetTile(), offset);
        if (!map->GetTile(next).blocked && map->GetUnitAt(next) == nullptr) {
            result.push_back(next);
        }
    }
    return result;
}
