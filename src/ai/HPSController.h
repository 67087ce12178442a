#pragma once

#include <array>

#include "ai/AIController.h"
#include "ai/SearchBoard.h"

// The exhaustive opponent: two rule-based candidates per step, every combination
// over the whole turn searched depth first, complete turns scored.
class HPSController : public AIController {
public:
    void StartTurn() override;

    std::vector<AIAction> CandidateActions(Unit* piece) const;
    AIAction UnitHeuristicAction(Unit* unit) const;
    AIAction CastleHeuristicAction(Unit* castle) const;
    // Smallest Manhattan distance from `tile` to a piece of another owner that `side` sees.
    static int32_t DistanceToNearestEnemy(const TeamController* side, Vector2 tile);

    float bestScore = 0.0f;
    std::vector<AIAction> bestPlan;
    // Complete turns scored by the last search.
    int64_t turnsScored = 0;

protected:
    // One node of the depth-first search: a complete turn scored, a piece's two candidates
    // found, or the next candidate applied after the previous one's subtree was taken back.
    bool SearchStep() override;
    // The side's sight as the last scored turn left it, counted by the evaluator, into its list.
    void WriteSearchState() override;
    void CountSearch(ThinkFigures& figures) const override;

private:
    // One node of the search (see SearchStep); false when the whole tree is done.
    bool Advance();

    std::array<AIAction, 2> Candidates(Unit* piece) const;
    std::array<AIAction, 2> UnitCandidates(Unit* piece) const;
    // One node of the search on the board's copy (see SearchBoard), which stands for every board a game reaches.
    bool AdvanceOnCopy();
    // A piece's two candidates and how many of them the search has entered.
    struct CopyBranch {
        std::array<SearchBoard::Action, 2> candidates;
        int entered = 0;
    };
    // The nearest-enemy choice over `tiles`; false when no enemy is in sight.
    bool NearestToEnemy(const std::vector<Vector2>& tiles, Vector2& chosen) const;
    // The search's evaluator, or a fresh one for questions asked between searches.
    Evaluator& Queries() const;

    mutable bool boardUnchanged = false;  // set while one call asks many questions of one position
    // The depth-first search's own stack, one entry per piece step on the current path.
    std::vector<CopyBranch> copyBranches;
    // The search's copy of the board, kept from turn to turn for its tables; in use while onCopy.
    std::unique_ptr<SearchBoard> copy;
    bool onCopy = false;
    bool atNewNode = false;  // the trials applied lead to a node not yet looked at
    mutable std::vector<Vector2> spawnTiles;
};
