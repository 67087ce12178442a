#pragma once

#include "ai/AIController.h"

// The greedy opponent: piece by piece, tries every action of the current step,
// keeps the best-scoring one, and moves on to the piece's next step.
class MinimaxController : public AIController {
public:
    void StartTurn() override;

    // Everything `piece` can do at its current step, in a fixed order.
    std::vector<AIAction> GenerateActions(const TeamController* side, Unit* piece) const;

protected:
    // One candidate tried and scored, the best of a step played, or the next piece taken up.
    bool SearchStep() override;
    void CountSearch(ThinkFigures& figures) const override;

private:
    // Where the search stands between two steps.
    std::vector<Unit*> pieces;  // the side's pieces when the turn began
    int pieceIndex = -1;
    std::vector<AIAction> candidates;  // of the current piece's current step
    size_t candidateIndex = 0;
    AIAction best;
    float bestScore = 0.0f;
    int64_t positionsScored = 0;  // candidates scored in this turn's search
    bool sightCurrent = false;    // whether the side's list is the sight of the position tried from
};
