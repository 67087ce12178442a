#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "board/BoardQueries.h"

class TeamController;
class TileMap;
class Unit;

// Scores positions of one board for the searches. It keeps its working lists
// between calls (no allocation per evaluation once warm) and remembers path
// costs: they depend only on the tiles, which never change while a search runs,
// so an Evaluator must not outlive the search that made it.
class Evaluator {
public:
    explicit Evaluator(TileMap& map);

    // The score of the board as it stands for `side`; rebuilds the side's visibleTiles at its end.
    float Evaluate(TeamController* side);
    int32_t PathCost(Vector2 start, Vector2 target);

    // Takes the board as it stands for the queries below.
    void Refresh();
    // The distinct pieces `unit` could attack after one move, in creation order.
    const std::vector<Unit*>& ThreatSet(const Unit& unit);
    const std::vector<Vector2>& Reachable(const Unit& unit) { return queries.Reachable(unit); }
    // Tiles of the pieces of another owner that `side` sees, in child order.
    const std::vector<Vector2>& SeenEnemyTiles(const TeamController* side);

private:
    // A remembered threat set and the neighbourhood it was computed for.
    struct ThreatMemo {
        std::vector<uint64_t> key;
        std::vector<Unit*> threats;
    };
    // What a threat set depends on: the unit, and every piece near enough to block
    // its way or to be attacked after its move, in child order.
    uint64_t ThreatKey(const Unit& unit);
    void ComputeThreats(const Unit& unit, std::vector<Unit*>& out);

    // Marks the tiles of side->visibleTiles; true for an in-board tile the side sees.
    void MarkVisible(const TeamController* side);
    bool Marked(Vector2 tile) const;

    TileMap& map;
    BoardQueries queries;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::vector<int32_t>> pathCosts;  // [target cell][start cell], -1 not yet known
    std::vector<uint32_t> visibleStamp;
    uint32_t stamp = 0;
    std::vector<uint64_t> key;
    std::vector<int32_t> pieceX;  // tiles of map.Units(), as of the last Refresh
    std::vector<int32_t> pieceY;
    std::unordered_map<uint64_t, ThreatMemo> threatMemo;
    std::vector<Vector2> enemies;
    std::vector<Vector2> targets;
};
