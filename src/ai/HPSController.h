#pragma once

#include <array>
#include <memory>

#include "ai/AIController.h"
#include "ai/SearchBoard.h"

// The exhaustive opponent: two rule-based candidates per step, every combination
// over the whole turn searched depth first, complete turns scored.
class HPSController : public AIController {
public:
    void StartTurn() override;

    // The piece's two candidates on the board as it stands, as the search would build them at the
    // start of a turn (with the side's sight as its list holds it).
    std::vector<AIAction> CandidateActions(Unit* piece);

    float bestScore = 0.0f;
    std::vector<AIAction> bestPlan;
    // Complete turns scored by the last search.
    int64_t turnsScored = 0;

protected:
    // One node of the depth-first search: a complete turn scored, a piece's two candidates
    // found, or the next candidate applied after the previous one's subtree was taken back.
    bool SearchStep() override;
    void CountSearch(ThinkFigures& figures) const override;

private:
    // One node of the search (see SearchStep); false when the whole tree is done.
    bool Advance();
    // A piece's two candidates and how many of them the search has entered.
    struct Branch {
        std::array<SearchBoard::Action, 2> candidates;
        int entered = 0;
    };
    // The copy of the board the search tries its actions on (see SearchBoard), kept from turn to
    // turn for its tables.
    SearchBoard& Copy();

    // The depth-first search's own stack, one entry per piece step on the current path.
    std::vector<Branch> branches;
    std::unique_ptr<SearchBoard> copy;
    bool searching = false;  // the copy stands for the board (see SearchBoard::Fits)
    bool atNewNode = false;  // the trials applied lead to a node not yet looked at
};
