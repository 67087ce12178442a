#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ai/ScoreTerms.h"
#include "board/BoardQueries.h"

class TeamController;
class TileMap;
class Unit;

// What PathCost reports for a target no path reaches: larger than any reachable
// cost on a board of up to 500,000 tiles (a step costs at most 2).
constexpr int32_t unreachablePathCost = 1000000;

// Scores positions of one board, as Evaluate walks the board's pieces; it keeps its working lists
// and the path costs between calls (they depend on the tiles alone).
class Evaluator {
public:
    explicit Evaluator(TileMap& map);

    // The score of the board as it stands for `side`; rebuilds the side's visibleTiles at its end.
    float Evaluate(TeamController* side);
    int32_t PathCost(Vector2 start, Vector2 target);

private:
    ScoreTerms WalkPieces(const TeamController* side);
    // The worth of what `piece` can attack from where it stands, kills counted three times.
    int32_t AttackWorth(const Unit& piece);
    void ThreatenedInto(const Unit& unit, std::vector<Unit*>& out);
    // The path cost from `from` to the nearest of the enemies in sight.
    int32_t ApproachCost(Vector2 from);
    // The first piece in child order on `tile`, as TileMap::GetUnitAt finds it.
    Unit* PieceAt(Vector2 tile) const;
    // Marks the tiles the side sees; Marked: an in-board tile the side sees.
    void MarkVisible(const TeamController* side);
    bool Marked(int32_t x, int32_t y) const;

    TileMap& map;
    BoardQueries queries;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::vector<int32_t>> pathCosts;  // [target cell][start cell], -1 not yet known
    std::vector<uint32_t> visibleStamp;
    uint32_t stamp = 0;
    std::vector<Vector2> enemies;  // in sight, in child order
    std::vector<Vector2> targets;
    std::vector<Vector2> reachable;
    std::vector<Unit*> threatened;
};

// Gold plus the worth of every piece the side owns.
int32_t TeamWorth(const TileMap& map, const TeamController* side);
// Walking cost of the first path a breadth-first search finds (target counted, start not).
int32_t PathCost(const TileMap& map, Vector2 start, Vector2 target);
// Whole-tile Manhattan distance.
inline int32_t TileDistance(Vector2 a, Vector2 b)
{
    return static_cast<int32_t>(std::fabs(a.x - b.x) + std::fabs(a.y - b.y));
}
