#pragma once

#include <string>
#include <vector>

#include "board/TeamController.h"

class Unit;

enum class AIActionKind : int32_t {
    Pass = 0,
    Move = 1,
    Attack = 2,
    Buy = 3,
};

// One step of a computer side's turn.
struct AIAction {
    AIActionKind kind = AIActionKind::Pass;
    Unit* unit = nullptr;         // the acting piece; for Buy the castle
    Vector2 tile = {0.0f, 0.0f};  // Move: destination, Attack: target, Buy: placement
    int32_t unitType = 0;         // Buy only
};

// A computer-played side. This base class is the passive opponent: it collects
// its income and ends its turn at once. The scored opponents plan a whole turn
// in StartTurn and play it back here, one action every half second.
class AIController : public TeamController {
public:
    void Init() override;
    void Update() override;
    void StartTurn() override;

    // Applies one action to the board; every kind records one history entry (an
    // Attack on an empty tile, possible only after the human's undo, does nothing).
    void ApplyAction(const AIAction& action);
    // The searches' pair: a trial action, returning the piece it created (a purchase) or null,
    // and taking the last trial back. A piece created by a trial is freed when the trial is
    // taken back: no history entry left can refer to it.
    Unit* TryAction(const AIAction& action);
    void TakeBack(Unit* created);
    // One playback step's worth of time; Update feeds it the frame time.
    void AdvancePlayback(float seconds);
    // The buyable types the side can pay for, in ascending type order.
    static std::vector<int32_t> AffordableUnitTypes(const TeamController* side);

    bool executingPlan = false;
    float actionTimer = 0.0f;
    float actionDelay = 0.5f;
    std::vector<AIAction> plan;
    std::string name = "default";
};
