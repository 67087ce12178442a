#include "board/BoardQueries.h"

#include <array>
#include <cstdlib>

#include "board/Rules.h"
#include "board/TileMap.h"
#include "board/Unit.h"

BoardQueries::BoardQueries(const TileMap& map_) : map(map_)
{
    ReadTiles();
    Refresh();
}

void BoardQueries::Refresh()
{
    std::fill(occupant.begin(), occupant.end(), nullptr);
    const std::vector<Unit*>& units = map.Units();
    pieceX.resize(units.size());
    pieceY.resize(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const Vector2 tile = units[i]->GetTile();
        pieceX[i] = static_cast<int32_t>(tile.x);
        pieceY[i] = static_cast<int32_t>(tile.y);
        // NOTE: of pieces sharing a tile, the first in child order stands for it.
        if (pieceX[i] >= 0 && pieceY[i] >= 0 && pieceX[i] < width && pieceY[i] < height) {
            Unit*& first = occupant[static_cast<size_t>(pieceY[i]) * static_cast<size_t>(width) + static_cast<size_t>(pieceX[i])];
            first = first == nullptr ? units[i] : first;
        }
    }
}

Unit* BoardQueries::At(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return nullptr;
    }
    return occupant[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

void BoardQueries::ReadTiles()
{
    height = static_cast<int32_t>(map.tiles.size());
    width = height > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    occupant.assign(static_cast<size_t>(width) * static_cast<size_t>(height), nullptr);
    pieceX.clear();
    pieceY.clear();
    remembered.Forget();
    entryCost.clear();
    // NOTE: a row longer than the first keeps its extra tiles, but the board is as wide as
    // its first row: they are never entered.
    for (const std::vector<TileType>& row : map.tiles) {
        for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
            entryCost.push_back(row[x].blocked ? Rules::blockedEntryCost : row[x].moveCost);
        }
    }
}

void BoardQueries::RememberReachable(size_t slots)
{
    remembered.Size(slots);
}

uint64_t BoardQueries::Occupied(int32_t x, int32_t y, int32_t speed) const
{
    uint64_t occupied = 0;
    for (size_t i = 0; i < pieceX.size(); ++i) {
        const int32_t dx = pieceX[i] - x;
        const int32_t dy = pieceY[i] - y;
        if (std::abs(dx) + std::abs(dy) <= speed) {
            occupied |= ReachMemo::Bit(dx, dy);
        }
    }
    return occupied;
}

const std::vector<Vector2>& BoardQueries::Reachable(const Unit& unit)
{
    const int32_t speed = unit.speed;
    if (!remembered.Sized() || speed < 0 || speed > ReachMemo::maxSpeed) {
        Walk(unit);
        return reachable;
    }
    const Vector2 start = unit.GetTile();
    const auto x = static_cast<int32_t>(start.x);
    const auto y = static_cast<int32_t>(start.y);
    const uint64_t occupied = Occupied(x, y, speed);
    reachable.clear();
    if (remembered.Recall(x, y, speed, occupied,
                          [&](int32_t tx, int32_t ty) { reachable.push_back({static_cast<float>(tx), static_cast<float>(ty)}); })) {
        return reachable;
    }
    Walk(unit);
    remembered.Keep(x, y, speed, occupied, reachable.size(), [&](size_t i) {
        return std::array<int32_t, 2>{static_cast<int32_t>(reachable[i].x), static_cast<int32_t>(reachable[i].y)};
    });
    return reachable;
}

void BoardQueries::Walk(const Unit& unit)
{
    reachable.clear();
    const Vector2 start = unit.GetTile();
    walk.Walk(static_cast<int32_t>(start.x), static_cast<int32_t>(start.y), unit.speed, width, height, entryCost,
              [&](size_t cell) { return occupant[cell] != nullptr; },
              [&](int32_t x, int32_t y) { reachable.push_back({static_cast<float>(x), static_cast<float>(y)}); });
}

