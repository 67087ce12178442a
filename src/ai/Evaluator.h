#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ai/ScoreTerms.h"
#include "ai/SightCount.h"
#include "ai/ThreatSets.h"
#include "board/BoardQueries.h"

class TeamController;
class TileMap;
class Unit;

// What PathCost reports for a target no path reaches: larger than any reachable
// cost on a board of up to 500,000 tiles (a step costs at most 2).
constexpr int32_t unreachablePathCost = 1000000;

// Scores positions of one board for the searches. It keeps its working lists
// between calls (no allocation per evaluation once warm) and remembers path
// costs and threat sets: they depend on the tiles, which never change while a
// search runs, so a search that keeps an Evaluator calls Forget before it starts.
class Evaluator {
public:
    explicit Evaluator(TileMap& map);

    // Drops everything remembered, in constant time for the threat sets, and reads the tiles anew.
    void Forget();

    // The score of the board as it stands for `side`; rebuilds the side's visibleTiles at its end.
    float Evaluate(TeamController* side);
    // The same, but the side's new sight is kept here, counted tile by tile as pieces move,
    // instead of being rebuilt into its list: WriteSight puts it there. Until then only
    // this Evaluator knows what the side sees.
    float EvaluateKeepingSight(TeamController* side);
    void WriteSight();
    // The same, but the side's list is left as it is and the position's sight only counted: for a
    // search that scores each trial against the sight of the position it tried it from.
    float EvaluateCountingSight(TeamController* side);
    int32_t PathCost(Vector2 start, Vector2 target);

    // Takes the board as it stands for the queries below.
    void Refresh();
    // While a search tells it every piece its actions change (Changed), and when pieces come or go
    // (Restructured), a refresh looks at the changed pieces alone. Off, it looks at every piece.
    void TrackChanges(bool on);
    void Changed(const Unit* piece)
    {
        if (tracking) {
            changedPieces.push_back(piece);
        }
    }
    void Restructured() { wholeRefresh = true; }
    // The distinct pieces `unit` could attack after one move, in creation order.
    const std::vector<Unit*>& ThreatSet(const Unit& unit);
    const std::vector<Vector2>& Reachable(const Unit& unit) { return queries.Reachable(unit); }
    // The first piece in child order on `tile`, as TileMap::GetUnitAt finds it, as of the last Refresh.
    Unit* PieceAt(Vector2 tile) const;
    // The tiles `piece` could attack from where it stands, as Unit::GetAttackTargets lists them;
    // valid until the next call.
    const std::vector<Vector2>& AttackTargets(const Unit& piece);
    // Tiles of the pieces of another owner that `side` sees, in child order.
    const std::vector<Vector2>& SeenEnemyTiles(const TeamController* side);

private:
    // What a scoring does with the side's sight of the position: rebuilds the list, keeps it
    // counted here for WriteSight, or counts it and leaves the list alone.
    enum class Sight { Rebuild, Keep, Count };
    float Score(TeamController* side, Sight sight);
    // The parts of Score: every term but the approach and the sight from one walk over the pieces
    // (the enemies in sight listed on the way), the approach to them, and the sight.
    ScoreTerms WalkPieces(TeamController* side);
    int32_t ApproachTerm(const TeamController* side);
    int32_t Vision(TeamController* side, Sight sight);
    // The worth of what `piece` can attack from where it stands, kills counted three times.
    int32_t AttackWorth(const Unit& piece);
    // The path cost from (x, y) to the nearest of `enemies`.
    int32_t ApproachCost(int32_t x, int32_t y);
    // Brings the counts to the board as it stands; only sources that changed are counted again.
    void CountSight(TeamController* side);
    // The tiles' grids: move costs, and which tiles can be seen at all.
    void ReadTiles();

    // Marks the tiles the side sees; true for an in-board tile the side sees.
    void MarkVisible(const TeamController* side);
    bool Marked(int32_t x, int32_t y) const;

    TileMap& map;
    BoardQueries queries;
    bool tracking = false;
    bool wholeRefresh = true;
    std::vector<const Unit*> changedPieces;
    ThreatSets threats;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::vector<int32_t>> pathCosts;  // [target cell][start cell], -1 not yet known
    std::vector<uint32_t> visibleStamp;
    uint32_t stamp = 0;
    bool markedByCover = false;  // Marked reads the counts below, not the stamps
    // The sight kept by EvaluateKeepingSight: per piece in child order its source, and per
    // tile how many sources see it.
    std::vector<SightCount::Source> sightSources;
    SightCount sightCount;
    const TeamController* countedFor = nullptr;  // the side the sources were counted for
    uint32_t countedAt = 0;                      // the queries' Refresh they were counted at
    size_t sightLogRead = 0;                     // how much of the queries' change log they read
    TeamController* keptSightOf = nullptr;  // the side whose list is out of date, if any
    std::vector<Vector2> enemies;
    std::vector<Vector2> seenEnemies;  // the last answer of SeenEnemyTiles
    std::vector<Vector2> targets;
    std::vector<Vector2> askedTargets;
    // Per piece in child order, its last approach cost and what it was for; the count of
    // changes to the enemies in sight, those of the last scored turn.
    struct Approach {
        int32_t x = 0;
        int32_t y = 0;
        uint32_t enemiesSeen = 0;
        int32_t cost = 0;
    };
    std::vector<Approach> approaches;
    uint32_t enemiesSeen = 1;
    std::vector<Vector2> approachEnemies;
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
