#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "board/TileType.h"
#include "board/UnitType.h"

// The rules that the live board and the searches' copy of it both follow, each written once here
// and called by both: how far an attack reaches, what a bought piece is and where it appears,
// what a side can pay for, and the costs that say a tile cannot be entered.
namespace Rules {

// A tile kind whose move cost is at least this is never entered by a path (the map's walls and water).
constexpr int32_t impassableCost = 999;
// Entering a blocked tile costs more than any piece's speed, in the grids of the reach walk.
constexpr int32_t blockedEntryCost = 1 << 28;
// The buyable types are 0 .. buyableTypes - 1 (Knight, Archer, Mage), in ascending cost.
constexpr int32_t buyableTypes = 3;
// What a castle is worth to the side that holds it.
constexpr int32_t castleValue = 1000;
// Every piece sees at least this far.
constexpr int32_t leastSight = 5;

constexpr bool Impassable(int32_t moveCost)
{
    return moveCost >= impassableCost;
}

// How far an attacker of `range` reaches a target; `castle` is -1 for a castle target, else 0.
// Castles are captured only from a neighbouring tile, whatever the attacker's range.
// NOTE: a mask rather than a branch, so that the loops over every piece take several at once.
constexpr int32_t AttackReach(int32_t range, int32_t castle)
{
    return (castle & 1) | (~castle & range);
}
constexpr int32_t AttackReach(int32_t range, bool castle)
{
    return AttackReach(range, castle ? -1 : 0);
}

constexpr int32_t TileDistance(int32_t ax, int32_t ay, int32_t bx, int32_t by)
{
    return (ax > bx ? ax - bx : bx - ax) + (ay > by ? ay - by : by - ay);
}

// Whether an attacker of `range` on (fromX, fromY) can attack a piece of another owner on
// (x, y), a castle or not. Pieces of the attacker's own side are never in reach.
constexpr bool InReach(int32_t fromX, int32_t fromY, int32_t range, int32_t x, int32_t y, bool castle)
{
    return TileDistance(fromX, fromY, x, y) <= AttackReach(range, castle);
}

// The numbers of a piece as it stands on the board, from its type.
struct PieceStats {
    int32_t range = 0;
    int32_t speed = 0;
    int32_t damage = 0;
    int32_t health = 0;
    int32_t value = 0;
    int32_t sight = leastSight;
};

inline PieceStats StatsOf(int32_t type)
{
    const UnitTypeInfo& row = TypeInfo(type);
    const bool castle = type == TypeNumber(UnitType::Castle);
    PieceStats stats;
    stats.range = row.range;
    stats.speed = row.speed;
    stats.damage = row.damage;
    stats.health = row.health;
    stats.value = castle ? castleValue : row.cost;
    stats.sight = std::max(row.speed, leastSight);
    return stats;
}

constexpr bool CanAfford(int32_t gold, int32_t type)
{
    return type >= 0 && type < buyableTypes && unitTypeTable[static_cast<size_t>(type)].cost <= gold;
}

// The most expensive type `gold` pays for, the first of equals; -1 when none.
inline int32_t DearestAffordable(int32_t gold)
{
    int32_t dearest = -1;
    for (int32_t type = 0; type < buyableTypes; ++type) {
        if (CanAfford(gold, type) && (dearest < 0 || TypeInfo(type).cost > TypeInfo(dearest).cost)) {
            dearest = type;
        }
    }
    return dearest;
}

// Where a piece bought at a castle on (x, y) can appear: the neighbours in neighbourOffsets order
// that are passable (`passable(x, y)`, false off the board) and hold no piece (`free(x, y)`).
template <typename Passable, typename Free, typename Found>
void ForEachSpawnTile(int32_t x, int32_t y, Passable passable, Free free, Found found)
{
    for (Vector2 offset : neighbourOffsets) {
        const int32_t nx = x + static_cast<int32_t>(offset.x);
        const int32_t ny = y + static_cast<int32_t>(offset.y);
        if (passable(nx, ny) && free(nx, ny)) {
            found(nx, ny);
        }
    }
}

}  // namespace Rules
