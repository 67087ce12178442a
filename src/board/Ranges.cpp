// The three range queries of a piece: where it can move, what it can attack, where a purchase can appear.
#include <cmath>

#include "board/BoardQueries.h"
#include "board/TileMap.h"
#include "board/Unit.h"

std::vector<Vector2> Unit::GetReachableTiles() const
{
    if (map == nullptr) {
        return {};
    }
    BoardQueries queries(*map);
    return queries.Reachable(*this);
}

std::vector<Vector2> Unit::GetAttackTargets(Vector2 from) const
{
    std::vector<Vector2> result;
    AttackTargetsInto(from, result);
    return result;
}

void Unit::AttackTargetsInto(Vector2 from, std::vector<Vector2>& result) const
{
    result.clear();
    if (map == nullptr) {
        return;
    }
    for (Unit* piece : map->Units()) {
        if (piece->team == team) {
            continue;
        }
        Vector2 tile = piece->GetTile();
        auto distance = static_cast<int32_t>(std::fabs(tile.y - from.y) + std::fabs(tile.x - from.x));
        // Castles are captured only from a neighbouring tile, whatever the attacker's range.
        int32_t reach = piece->isCastle ? 1 : range;
        if (distance <= reach) {
            result.push_back(tile);
        }
    }
}

std::vector<Vector2> Unit::GetSpawnTiles() const
{
    std::vector<Vector2> result;
    if (map == nullptr) {
        return result;
    }
    for (Vector2 offset : neighbourOffsets) {
        Vector2 next = {GetTile().x + offset.x, GetTile().y + offset.y};
        if (!map->GetTile(next).blocked && map->GetUnitAt(next) == nullptr) {
            result.push_back(next);
        }
    }
    return result;
}
