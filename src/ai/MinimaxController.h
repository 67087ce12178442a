#pragma once

#include <memory>

#include "ai/AIController.h"
#include "ai/SearchBoard.h"

// The greedy opponent: piece by piece, tries every action of the current step,
// keeps the best-scoring one, and moves on to the piece's next step.
class MinimaxController : public AIController {
public:
    void StartTurn() override;

    // Everything `piece` can do at its current step, in a fixed order, on the board itself (the
    // search asks its own copy of the board).
    std::vector<AIAction> GenerateActions(const TeamController* side, Unit* piece) const;

protected:
    // One candidate tried and scored, the best of a step played, or the next piece taken up.
    bool SearchStep() override;
    void CountSearch(ThinkFigures& figures) const override;

private:
    // Where the search stands between two steps, on its copy of the board (see SearchBoard), which
    // it tries its actions on and which is kept from turn to turn for its tables.
    std::unique_ptr<SearchBoard> copy;
    std::vector<int32_t> pieces;  // the side's pieces when the turn began
    int pieceIndex = -1;
    std::vector<SearchBoard::Action> candidates;  // of the current piece's current step
    size_t candidateIndex = 0;
    SearchBoard::Action best;
    float bestScore = 0.0f;
    int64_t positionsScored = 0;  // candidates scored in this turn's search
};
