#pragma once

#include "ai/AIController.h"

// The greedy opponent: piece by piece, tries every action of the current step,
// keeps the best-scoring one, and moves on to the piece's next step.
class MinimaxController : public AIController {
public:
    void StartTurn() override;

    // Everything `piece` can do at its current step, in a fixed order.
    std::vector<AIAction> GenerateActions(const TeamController* side, Unit* piece) const;
};
