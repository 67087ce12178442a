#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "ai/ReachArea.h"
#include "ai/ScoreTerms.h"
#include "ai/SightCount.h"
#include "ai/ThreatMemo.h"
#include "board/ReachMemo.h"
#include "board/ReachWalk.h"

class TeamController;
class TileMap;
class Unit;

// The searches' own copy of a board: the pieces in flat arrays, a grid of who stands where, the
// sides' gold. Both opponents try and take back their trials here, the two-candidate search asks
// its heuristics' questions here, and both score positions here, as the board and the evaluator
// would answer them, but without the board's snapshots and without walking every piece object for
// every question. From one scored position to the next it keeps each piece's threat set (by a key
// of its neighbourhood), the side's sight (counted tile by tile) and each piece's approach cost.
class SearchBoard {
public:
    // A trial: the acting piece by index, and the target tile.
    struct Action {
        AIActionKind kind = AIActionKind::Pass;
        int32_t piece = 0;
        int32_t x = 0;
        int32_t y = 0;
        int32_t type = 0;
    };

    // Whether the copy can stand for `map`: every piece on the board (two may share a tile), of one
    // of the board's sides or of none, and a board of at most 1024 tiles a side.
    static bool Fits(const TileMap& map);

    // A piece as the threat sets' neighbourhoods count it (for the loops over every piece).
    struct NearPiece {
        int32_t x = 0;
        int32_t y = 0;
        int32_t owner = 0;
        int32_t castle = 0;  // -1 for a castle
        uint64_t mark = 0;
    };

    // Per piece, one array per field for the loops over every piece: where the neighbourhoods see
    // it (far away when it is not on the board), its owner, whether it is a castle, and its mark
    // in two 32-bit halves.
    struct Placements {
        std::vector<int32_t> x;
        std::vector<int32_t> y;
        std::vector<int32_t> owner;
        std::vector<int32_t> castle;
        std::vector<uint32_t> low;
        std::vector<uint32_t> high;
        // Entries added stand far away.
        void Resize(size_t count);
        NearPiece Get(size_t i) const { return {x[i], y[i], owner[i], castle[i], (uint64_t{high[i]} << 32) | low[i]}; }
        void Set(size_t i, const NearPiece& piece);
    };

    SearchBoard();
    // Copies the board as it stands, for a search by `side`; what was remembered for another
    // position is dropped (its tables are kept: releasing them would stall a frame).
    void Reset(TileMap& map, TeamController* side);

    // The index of the board's piece `unit`; -1 when the copy does not hold it.
    int32_t IndexOf(const Unit* unit) const;
    // The first piece of the side, in child order, that has not finished; -1 when none is left.
    int32_t CurrentPiece() const;
    // The piece's two candidates, as the two-candidate search builds them.
    std::array<Action, 2> Candidates(int32_t piece);
    // Everything the piece can do at its current step, in the step search's order, into `out`.
    void Actions(int32_t piece, std::vector<Action>& out);
    void Apply(const Action& action);
    void TakeBack();
    // An action as the live board takes it, and the trials applied, in order, so.
    AIAction Live(const Action& action) const;
    std::vector<AIAction> Trials() const;
    // The position's score for the side. The side's sight is then the position's, kept here.
    float Score();
    // The side's sight becomes the position's as it stands, unscored: the step search judges each
    // trial by the sight of the position it tried it from.
    void SeeFromHere();
    // Writes the sight of the last scored position into the side's visibleTiles, as UpdateVision
    // orders it; nothing when no position was scored since the last write.
    void WriteSight();

    // Recomputes what the copy keeps from one position to the next (who stands where, the pieces
    // not finished, where the neighbourhoods see each piece, their combined marks and rivals, the
    // sight counts, what each piece adds to material, castles and approach) from the pieces as
    // they stand, and compares. Empty when everything agrees, else what differed first.
    std::string Inconsistency();
    // The position's score worked out from the pieces alone, with nothing remembered: what Score
    // must answer for it. Like Score, it judges the enemies in sight by the last scored sight.
    float ScoreAfresh();
    // A build that checks itself (the sanitizer build) runs Inconsistency after one applied or
    // taken-back trial in `period`, and ScoreAfresh for one scored position in `period`, and stops
    // the program at the first difference. 0 checks nothing; tests check every one.
    void CheckEvery(uint32_t period) { checkPeriod = period; }

    struct Piece {
        Unit* unit = nullptr;  // null for a piece a trial bought
        TeamController* team = nullptr;
        int32_t owner = 0;  // the team's index in the board's sides; their count for none
        int32_t x = 0;
        int32_t y = 0;
        int32_t speed = 0;
        int32_t range = 0;
        int32_t damage = 0;
        int32_t health = 0;
        int32_t value = 0;
        int32_t sight = 0;
        uint64_t serial = 0;
        bool castle = false;
        bool moved = false;
        bool attacked = false;
        bool alive = true;
        bool operator==(const Piece&) const = default;
    };
    // The position as the rules see it, for tests that compare two.
    const std::vector<Piece>& Pieces() const { return pieces; }
    const std::vector<int32_t>& Gold() const { return gold; }
    int32_t At(int32_t x, int32_t y) const { return OnBoard(x, y) ? occupant[static_cast<size_t>(Cell(x, y))] : -1; }
    size_t TrialCount() const { return undo.size(); }

private:
    int32_t Cell(int32_t x, int32_t y) const { return y * width + x; }
    bool OnBoard(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // What a trial changed, to take it back.
    struct Undo {
        Action action;
        int32_t x = 0;
        int32_t y = 0;
        bool moved = false;
        bool attacked = false;
        int32_t victim = -1;
        int32_t victimHealth = 0;
        TeamController* victimTeam = nullptr;
        int32_t victimOwner = 0;
        int32_t gold = 0;
    };

    // The sides' index of a team; their count for none.
    int32_t OwnerOf(const TeamController* team) const;
    // The pieces as the board has them, and everything kept from one position to the next forgotten.
    void ReadPieces();
    void ForgetKept();
    // The two kinds of trial that change more than the actor.
    void ApplyAttack(Undo& entry);
    void ApplyBuy(Undo& entry);
    // The castle's free, passable neighbours into spawnTiles.
    void FindSpawnTiles(const Piece& castle);
    // A castle's first candidate: the dearest type it can pay for, nearest to an enemy in sight.
    Action CastleCandidate(int32_t castle);
    // The score's terms from what is kept: material (castles kept with it), the attacks still to
    // make, the threats of the pieces in sight (the mask of the enemies among the first 64
    // returned), and the approach.
    int32_t KeepMaterial();
    int32_t AttacksNow() const;
    uint64_t ThreatsInSight(int32_t& threatScore);
    // What the piece threatens, signed as it counts for the side.
    int32_t ThreatOf(size_t piece);
    int32_t KeepApproach(uint64_t enemyMask);
    // Runs the checks a self-checking build asks for (see CheckEvery), on one trial in the period.
    void CheckSampled()
    {
        if (checkPeriod != 0 && ++checkCount % checkPeriod == 0) {
            CheckNow();
        }
    }
    void CheckNow();
    // The parts of Inconsistency.
    std::string GridInconsistency() const;
    std::string NeighbourhoodInconsistency() const;
    std::string KeptScoreInconsistency();
    std::string EnemiesInconsistency() const;
    // The version of the list of the enemies in `mask`.
    uint64_t EnemiesVersion(uint64_t mask);
    // How many tiles the side sees in the position, counted afresh.
    int32_t SightAfresh() const;
    // The pieces a piece could attack after one move, found afresh.
    std::vector<int32_t> ThreatenedAfresh(int32_t piece);
    bool InReach(const Piece& attacker, const Piece& target, int32_t x, int32_t y) const;
    bool HasAttackTarget(int32_t piece);
    // For a piece of the side on (x, y), among the first 64 pieces: whether a living rival stands
    // within `unitReach`, or a rival castle within `castleReach`. Remembered by the rivals living:
    // they never move in the side's turn.
    bool RivalNear(int32_t x, int32_t y, int32_t unitReach, int32_t castleReach);
    // A piece comes onto its tile, or leaves it, in the grid of who stands where.
    void Arrive(int32_t piece);
    void Leave(int32_t piece);
    // Whether the 64 tiles from (x, y) rightward hold a piece, one bit each; x at least -rowMargin
    // and y on the board.
    uint64_t OccupiedRun(int32_t x, int32_t y) const;
    // The piece that answers for the tile `piece` stands on: the first there in child order.
    const Piece& FirstOn(const Piece& piece) const { return pieces[static_cast<size_t>(At(piece.x, piece.y))]; }
    // Whether any piece on (x, y), not only the first, is in the attacker's reach from its tile.
    bool AnyOnTileInReach(const Piece& attacker, int32_t x, int32_t y) const;
    // Brings the piece's bit of `unfinished` to its state.
    void Unfinished(int32_t piece);
    // A piece's tile, owner or presence changed: the kept states look at it again.
    void Touch(int32_t piece);
    // The piece's own part of its threat set's key.
    static uint64_t SelfKey(const Piece& piece);

    // Where the piece can move, in the order Unit::GetReachableTiles lists it; valid until the next call.
    const std::vector<std::array<int32_t, 2>>& Reachable(int32_t piece);
    const std::vector<std::array<int32_t, 2>>& Reachable(const Piece& piece, uint64_t occupied);
    // The tile it can move to nearest to an enemy in sight, as NearestToEnemy picks it, into `chosen`;
    // false when none is.
    bool NearestReachable(int32_t piece, std::array<int32_t, 2>& chosen);
    void Walk(const Piece& piece);
    // The tiles within the piece's speed that hold a piece, as the remembered lists are keyed; and
    // the list remembered for them into `reachable`, false when none is.
    uint64_t OccupiedAround(const Piece& piece) const;
    bool Recalled(const Piece& piece, uint64_t occupied);

    // Threat sets: per piece the marks of the pieces near it combined, and the rivals among them.
    void SyncThreats();
    void Recount(int32_t piece);
    // Of the first 64 pieces, those with a rival in their neighbourhood.
    uint64_t Threatening() const;
    // Where the neighbourhoods see the piece now: far away when it is not on the board.
    NearPiece NearOf(size_t piece) const;
    // The marks of the piece's neighbourhood as the pieces stand now, summed, and the rivals in it.
    struct Neighbourhood {
        uint64_t marks = 0;
        int32_t rivals = 0;
    };
    Neighbourhood LiveNeighbours(int32_t index) const;
    // The piece's threat set, remembered by its neighbourhood's combined marks.
    const std::vector<uint32_t>& ThreatTiles(int32_t piece, uint64_t neighbours);
    void ComputeThreats(int32_t piece, std::vector<uint32_t>& out);
    // NOTE: here, not in a source file: the scoring in a file of its own asks it for every threat.
    int32_t VictimAt(int32_t index, uint32_t offset) const
    {
        const Piece& piece = pieces[static_cast<size_t>(index)];
        return At(piece.x + ThreatMemo::OffsetX(offset), piece.y + ThreatMemo::OffsetY(offset));
    }

    // Of the first 64 pieces, the living ones of another owner that the side sees.
    uint64_t EnemiesInSight();
    // The tiles of the pieces in `mask` (of the first 64), in child order.
    void TilesOf(uint64_t mask, std::vector<std::array<int32_t, 2>>& tiles) const;
    // The pieces of another owner in the side's sight, in child order, and distances to them.
    const std::vector<std::array<int32_t, 2>>& SeenEnemies();
    bool NearestToEnemy(const std::vector<std::array<int32_t, 2>>& tiles, std::array<int32_t, 2>& chosen);
    // Whether the side sees the tile: as the last scored turn left its sight, or before any, as the
    // side's list had it when the search began.
    bool Marked(int32_t x, int32_t y) const
    {
        return sightCounted ? sight.Seen(x, y) : OnBoard(x, y) && startSight[static_cast<size_t>(Cell(x, y))] != 0;
    }

    // Score from what is kept.
    float KeptScore();
    // Counts the side's sight anew for the pieces changed since it last did.
    void CountSight();
    int32_t PathCost(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);

    TileMap* map = nullptr;
    TeamController* side = nullptr;
    int32_t sideOwner = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Piece> pieces;
    std::vector<int32_t> gold;  // per side
    std::vector<int32_t> occupant;  // per tile, the first piece's index or -1
    std::vector<int32_t> standing;  // per tile, how many pieces stand there
    // NOTE: no member initializers, so that the table is made zeroed in one go.
    struct RivalAnswer {
        uint64_t rivals;
        int32_t x;
        int32_t y;
        int32_t unitReach;
        int32_t castleReach;
        uint32_t generation;  // kept only while equal to rivalGeneration
        bool near;
    };
    std::vector<RivalAnswer> rivalAnswers;  // a fixed table indexed by the question
    uint32_t rivalGeneration = 0;
    // Per row, a bit per tile that a piece stands on, from rowMargin tiles left of the board on, in
    // rowWords words: what stands around a piece is read a row at a time.
    static constexpr int32_t rowMargin = 8;
    size_t rowWords = 0;
    std::vector<uint64_t> occupiedRows;
    std::vector<int32_t> entryCost;
    std::vector<uint8_t> blocked;
    std::vector<Undo> undo;
    uint64_t unfinished = 0;  // of the first 64 pieces, those of the side not finished yet
    uint64_t enemyBits = 0;   // of the first 64 pieces, the living ones of another owner or none, kept by Touch
    uint64_t ownBits = 0;     // and the living ones of the side
    uint64_t nextSerial = 0;

    // Pieces changed since the threat sets, and since the sight and the approach, last looked.
    std::vector<int32_t> threatTouched;
    std::vector<int32_t> scoreTouched;
    std::vector<uint8_t> touchFlags;  // bit 0: in threatTouched, bit 1: in scoreTouched, bit 2: summed as it moved

    std::vector<std::array<int32_t, 2>> reachable;
    ReachWalk walk;
    ReachArea reachArea;  // the tiles' costs read at Reset
    std::vector<std::array<int32_t, 2>> aroundUnit;  // the pieces around the one whose threats are found
    ReachMemo reachMemo;  // made when the first search starts (1.6 MiB) and kept

    Placements live;     // as the pieces stand now, kept by Touch
    Placements counted;  // as the neighbourhoods last counted them
    std::vector<uint64_t> liveSelf;  // per piece, its own part of its threat set's key, kept by Touch
    // Per piece its speed and reach, and the marks of its neighbourhood summed, each 32-bit half on its own
    // (see MoveMark) and the rivals in it.
    std::vector<int32_t> nearSpeed;
    std::vector<int32_t> nearRange;
    std::vector<uint32_t> sumLow;
    std::vector<uint32_t> sumHigh;
    std::vector<int32_t> rivals;
    std::vector<ThreatMemo::Recent> recent;
    ThreatMemo threatMemo;
    const std::vector<uint32_t> noTiles;

    std::vector<std::array<int32_t, 2>> enemies;  // seen, as the heuristics ask
    uint64_t enemiesAt = ~uint64_t{0};           // the enemy changes they were found at
    uint64_t enemyChanges = 0;                   // kills, captures and sight counts so far
    uint64_t inSight = 0;                        // EnemiesInSight at the enemy changes inSightAt
    uint64_t inSightAt = ~uint64_t{0};
    std::vector<std::array<int32_t, 2>> enemiesBefore;  // the list before it was last found again
    uint64_t enemiesMask = 0;     // of the first 64 pieces, those the list holds
    bool enemiesMasked = true;    // false while the list was found among more than 64 pieces
    uint64_t enemiesVersion = 0;  // names the list's content: the same version, the same enemies
    uint64_t versionsGiven = 0;
    // The last few lists found among the first 64 pieces, {which pieces, version}: a list met again
    // keeps its version, and with it what was remembered for it. Version 0 for none.
    std::array<std::array<uint64_t, 2>, 8> enemyLists{};
    size_t nextEnemyList = 0;
    uint64_t distancesFor = ~uint64_t{0};  // the version `distances` were kept for
    std::vector<int32_t> distances;  // per tile, to the nearest of the enemies; -1 unknown
    std::vector<std::array<int32_t, 2>> spawnTiles;
    std::vector<uint8_t> startSight;  // per tile, in the side's list when the search began

    bool sightCounted = false;  // once a turn is scored, the sight is the one counted here
    bool sightWritten = true;
    std::vector<SightCount::Source> sources;  // per piece as last counted
    SightCount sight;

    std::vector<std::array<int32_t, 2>> scoreEnemies;
    uint64_t scoreMask = 0;  // of the first 64 pieces, the enemies in scoreEnemies
    bool scoreMaskKnown = false;
    std::vector<std::array<int32_t, 2>> approachEnemies;
    uint64_t approachMask = 0;  // of the first 64 pieces, the enemies in approachEnemies
    // Per tile, the approach cost of a piece of the side there, for the enemies in approachEnemies:
    // known where approachAt holds approachGeneration.
    std::vector<int32_t> approachCost;
    std::vector<uint32_t> approachAt;
    uint32_t approachGeneration = 0;
    // Per piece, what it added to the score's material, castles and approach when last looked at
    // (a piece changes them only by moving, falling, changing hands, being bought or taken back),
    // and the sums.
    struct Kept {
        int32_t material = 0;
        int32_t castles = 0;
        int32_t approach = 0;
    };
    // What a living piece adds to the score's material and castles for the searching side.
    Kept PieceParts(const Piece& piece) const
    {
        const bool own = piece.team == side;
        Kept parts;
        parts.material = ScoreTerms::MaterialOf(own, piece.owner < static_cast<int32_t>(gold.size()), piece.value);
        parts.castles = piece.castle ? ScoreTerms::CastleOf(own, piece.team != nullptr) : 0;
        return parts;
    }
    std::vector<Kept> kept;
    int32_t keptMaterial = 0;
    int32_t keptCastles = 0;
    int32_t keptApproach = 0;
    std::vector<std::vector<int32_t>> pathCosts;  // [target tile][start tile], -1 not yet known

#if defined(TORVANE_CHECK_SEARCH_STATE)
    uint32_t checkPeriod = 16;
#else
    uint32_t checkPeriod = 0;
#endif
    uint64_t checkCount = 0;
};
