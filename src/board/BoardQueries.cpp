#include "board/BoardQueries.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/TileMap.h"
#include "board/Unit.h"

namespace {
// Entering a blocked tile costs more than any piece's speed.
constexpr int32_t blockedCost = 1 << 28;
}  // namespace

BoardQueries::BoardQueries(const TileMap& map_) : map(map_)
{
    Refresh();
}

void BoardQueries::Refresh()
{
    int32_t rows = static_cast<int32_t>(map.tiles.size());
    int32_t columns = rows > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    if (rows != height || columns != width) {
        height = rows;
        width = columns;
        size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
        occupant.assign(cells, nullptr);
        occupantStamp.resize(cells);
        listedStamp.resize(cells);
        ReadTiles();  // clears the stamps
    }
    ++stamp;
    const std::vector<Unit*>& units = map.Units();
    pieceX.resize(units.size());
    pieceY.resize(units.size());
    seenAt.resize(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        Unit* unit = units[i];
        // A piece seldom moves between two refreshes: its tile is worked out again only when it does.
        if (seenAt[i].x != unit->position.x || seenAt[i].y != unit->position.y) {
            Vector2 tile = unit->GetTile();
            pieceX[i] = static_cast<int32_t>(tile.x);
            pieceY[i] = static_cast<int32_t>(tile.y);
            seenAt[i] = unit->position;
        }
        const int32_t x = pieceX[i];
        const int32_t y = pieceY[i];
        if (x < 0 || y < 0 || x >= width || y >= height) {
            continue;
        }
        size_t cell = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
        // The first piece in child order stands for the tile.
        if (occupantStamp[cell] != stamp) {
            occupantStamp[cell] = stamp;
            occupant[cell] = unit;
        }
    }
}

Unit* BoardQueries::At(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return nullptr;
    }
    size_t cell = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    return occupantStamp[cell] == stamp ? occupant[cell] : nullptr;
}

void BoardQueries::ReadTiles()
{
    // The stamps start afresh too, so that no count wraps around within a search; until the
    // next Refresh no piece stands anywhere.
    std::fill(occupantStamp.begin(), occupantStamp.end(), 0);
    std::fill(listedStamp.begin(), listedStamp.end(), 0);
    stamp = 1;
    listed = 1;
    seenAt.clear();
    pieceX.clear();
    pieceY.clear();
    entryCost.clear();
    for (const std::vector<TileType>& row : map.tiles) {
        for (const TileType& tile : row) {
            entryCost.push_back(tile.blocked ? blockedCost : tile.moveCost);
        }
    }
}

const std::vector<Vector2>& BoardQueries::Reachable(const Unit& unit)
{
    reachable.clear();
    work.clear();
    ++listed;
    Vector2 start = unit.GetTile();
    work.push_back({static_cast<int32_t>(start.x), static_cast<int32_t>(start.y), unit.speed});
    static const int32_t offsets[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    while (!work.empty()) {
        WorkEntry current = work.back();
        work.pop_back();
        size_t firstNew = work.size();
        for (const auto& offset : offsets) {
            int32_t x = current.x + offset[0];
            int32_t y = current.y + offset[1];
            if (x < 0 || y < 0 || x >= width || y >= height) {
                continue;
            }
            size_t cell = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            int32_t left = current.points - entryCost[cell];
            if (left < 0 || occupantStamp[cell] == stamp || listedStamp[cell] == listed) {
                continue;
            }
            listedStamp[cell] = listed;
            work.push_back({x, y, left});
            reachable.push_back({static_cast<float>(x), static_cast<float>(y)});
        }
        // NOTE: the list was sorted before these appends, so moving each new entry left
        // past strictly greater points is the same stable sort by remaining points.
        for (size_t i = firstNew; i < work.size(); ++i) {
            WorkEntry entry = work[i];
            size_t j = i;
            while (j > 0 && work[j - 1].points > entry.points) {
                work[j] = work[j - 1];
                --j;
            }
            work[j] = entry;
        }
    }
    return reachable;
}

