#pragma once

#include "ai/AIController.h"

// The exhaustive opponent: two rule-based candidates per step, every combination
// over the whole turn searched depth first, complete turns scored.
class HPSController : public AIController {
public:
    void StartTurn() override;

    void SearchTurn(std::vector<AIAction> sequence);
    std::vector<AIAction> CandidateActions(Unit* piece) const;
    AIAction UnitHeuristicAction(Unit* unit) const;
    AIAction CastleHeuristicAction(Unit* castle) const;
    // Smallest Manhattan distance from `tile` to a piece of another owner that `side` sees.
    static int32_t DistanceToNearestEnemy(const TeamController* side, Vector2 tile);

    float bestScore = 0.0f;
    std::vector<AIAction> bestPlan;
    // Complete turns scored by the last search.
    int64_t turnsScored = 0;
};
