#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

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
    int32_t PathCost(Vector2 start, Vector2 target);

    // Takes the board as it stands for the queries below.
    void Refresh();
    // The distinct pieces `unit` could attack after one move, in creation order.
    const std::vector<Unit*>& ThreatSet(const Unit& unit);
    const std::vector<Vector2>& Reachable(const Unit& unit) { return queries.Reachable(unit); }
    // Tiles of the pieces of another owner that `side` sees, in child order.
    const std::vector<Vector2>& SeenEnemyTiles(const TeamController* side);

private:
    // What a threat set depends on, per piece: the piece, and every piece near enough to
    // block its way or to be attacked after its move (see Near).
    struct PieceRecord {
        const Unit* unit = nullptr;
        const TeamController* team = nullptr;
        uint64_t serial = 0;
        int32_t x = 0;
        int32_t y = 0;
        int32_t speed = 0;
        int32_t range = 0;
        bool castle = false;
        bool operator==(const PieceRecord&) const = default;
        // Whether `other` can change this piece's threat set: every step costs at least 1, so a
        // move never leaves the diamond of the speed, where any piece can block the way; an
        // attack after it reaches pieces of other owners up to the range further (castles 1).
        bool Near(const PieceRecord& other) const;
        // What the piece adds to the key of each piece whose neighbourhood holds it: where it
        // stands, its owner and whether it is a castle, but not which piece it is.
        uint64_t Mark() const;
        // The key of the piece's threat set, given the sum of the marks in its neighbourhood.
        uint64_t Key(uint64_t neighbours) const;
    };
    // A threat set as the tiles of the pieces in it, each as its offset from the threatening
    // piece: the same neighbourhood threatens the same tiles whichever pieces make it up.
    using ThreatTiles = std::vector<uint32_t>;
    // A remembered threat set, in one cache line.
    struct ThreatMemo {
        uint64_t key = 0;
        uint32_t generation = 0;  // remembered only while equal to memoGeneration
        uint32_t count = 0;
        std::array<uint32_t, 12> tiles{};
    };
    // NOTE: a fixed table indexed by the key, a new set replacing an old one: no growth,
    // rehash or mass release in the middle of a search, which runs within frames.
    static constexpr size_t memoSlots = size_t{1} << 17;
    // The last few threat sets of one piece: as the search tries the two candidates of the
    // pieces near it, its neighbourhood comes back to the same few.
    struct RecentThreats {
        std::array<uint64_t, 4> keys{};
        std::array<ThreatTiles, 4> tiles;
        uint8_t known = 0;  // bit i: keys[i] and tiles[i] hold
        uint8_t current = 0;
        uint8_t next = 0;  // the one to replace
    };
    // Per piece in child order, as of the last Update: its record and mark, the sum of the
    // marks in its neighbourhood, and its recent threat sets with the keys they were found for.
    struct PieceCache {
        std::vector<PieceRecord> pieces;
        std::vector<uint64_t> marks;
        std::vector<uint64_t> neighbourSums;
        std::vector<RecentThreats> recent;
        struct Change {
            PieceRecord before;
            PieceRecord now;
            uint64_t markBefore = 0;
            uint64_t markNow = 0;
        };
        std::vector<Change> changes;
        std::vector<uint8_t> changed;

        // Compares the pieces with the last Update's and brings the neighbourhood sums up to
        // date: only the sums near a change move, by the marks that left and came.
        void Update(const Evaluator& evaluator);
        uint64_t NeighbourSum(const PieceRecord& piece) const;
    };
    PieceRecord RecordOf(size_t index) const;
    // The threat set of `unit` for `key`: a recent one, or one from ThreatSetFor.
    const ThreatTiles& RecentThreatSet(RecentThreats& recent, const Unit& unit, uint64_t key);
    // The threat set for `key`: remembered, or computed into `out` and remembered.
    void ThreatSetFor(const Unit& unit, uint64_t key, ThreatTiles& out);
    void ComputeThreats(const Unit& unit, ThreatTiles& out);
    // The piece `threat` attacks on a tile of its threat set: the first one standing there.
    Unit* VictimAt(const Unit& threat, uint32_t offset) const;

    // Where a side's sight comes from: a piece of its own sees around it, and every castle is seen.
    struct SightSource {
        int32_t x = 0;
        int32_t y = 0;
        int32_t range = -1;  // -1: not a piece of the side
        bool castle = false;
        bool operator==(const SightSource&) const = default;
    };
    float Score(TeamController* side, bool keepSight);
    // Brings the counts to the board as it stands; only sources that changed are counted again.
    void CountSight(TeamController* side);
    // Counts the tiles `now` sees instead of those `before` saw.
    void MoveSource(const SightSource& before, const SightSource& now);
    // Counts one more (or one fewer) source seeing an in-board tile.
    void Cover(int32_t x, int32_t y, int32_t delta);
    // The tiles' grids: move costs, and which tiles can be seen at all.
    void ReadTiles();

    // Marks the tiles the side sees; true for an in-board tile the side sees.
    void MarkVisible(const TeamController* side);
    bool Marked(int32_t x, int32_t y) const;

    TileMap& map;
    BoardQueries queries;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::vector<int32_t>> pathCosts;  // [target cell][start cell], -1 not yet known
    std::vector<uint32_t> visibleStamp;
    uint32_t stamp = 0;
    bool markedByCover = false;  // Marked reads the counts below, not the stamps
    // The sight kept by EvaluateKeepingSight: per piece in child order its source, and per
    // tile how many sources see it.
    std::vector<SightSource> sightSources;
    std::vector<int32_t> cover;
    std::vector<uint8_t> seeable;  // per tile: 0 for the outside tiles, which nobody sees
    int32_t coveredTiles = 0;
    TeamController* keptSightOf = nullptr;  // the side whose list is out of date, if any
    std::vector<ThreatMemo> threatMemo;  // memoSlots entries once used
    PieceCache scored;  // the pieces as the evaluation last saw them
    std::vector<RecentThreats> askedRecent;  // per piece, the sets ThreatSet found
    ThreatTiles askedTiles;        // ThreatSet's answer, as tiles
    std::vector<Unit*> askedPieces;  // and as pieces
    uint32_t memoGeneration = 1;
    std::vector<Vector2> enemies;
    std::vector<Vector2> targets;
};

// The same questions asked once, of the board as it stands (tests and tools).
// The score of the board for `side`; larger is better. Rebuilds the side's visibleTiles at its end.
float Evaluate(TileMap& map, TeamController* side);
// Gold plus the worth of every piece the side owns.
int32_t TeamWorth(const TileMap& map, const TeamController* side);
// The distinct pieces `unit` could attack after one move, in creation order.
std::vector<Unit*> ThreatSet(const Unit* unit);
// Walking cost of the first path a breadth-first search finds (target counted, start not).
int32_t PathCost(const TileMap& map, Vector2 start, Vector2 target);
// Whole-tile Manhattan distance.
inline int32_t TileDistance(Vector2 a, Vector2 b)
{
    return static_cast<int32_t>(std::fabs(a.x - b.x) + std::fabs(a.y - b.y));
}
