#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "board/BoardObserver.h"
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
// its income and ends its turn at once. The scored opponents start a search in
// StartTurn, think over many frames (a few milliseconds each, so that the window
// keeps drawing and answering), then play the plan back one action every half second.
class AIController : public TeamController {
public:
    // Search work per frame: with the drawing it stays well within a 60 Hz frame.
    // NOTE: a build with the address sanitizer draws several times slower; the search then
    // takes a smaller share, so that frames still keep coming.
#if defined(__SANITIZE_ADDRESS__)
    static constexpr double frameBudgetMs = 2.0;
#else
    static constexpr double frameBudgetMs = 8.0;
#endif
    static constexpr double unlimited = std::numeric_limits<double>::infinity();

    AIController();
    ~AIController() override;
    void Init() override;
    void Update() override;
    void StartTurn() override;
    bool IsThinking() const override { return thinking; }

    // Runs the search for one frame: search steps (each at most one evaluation) until
    // `budgetMs` has passed or `maxSteps` steps are done. The search tries its actions on a copy
    // of its own: the board stays at the position the turn began with. Returns true while the
    // search goes on; when it ends, playback starts.
    bool Think(double budgetMs, int64_t maxSteps = std::numeric_limits<int64_t>::max());
    // The whole search in one go, for tools and tests that run without frames.
    void FinishThinking();

    // Applies one action to the board; every kind records one history entry (an
    // Attack on an empty tile, possible only after the human's undo, does nothing).
    void ApplyAction(const AIAction& action);
    // One playback step's worth of time; Update feeds it the frame time.
    void AdvancePlayback(float seconds);
    // The buyable types the side can pay for, in ascending type order.
    static std::vector<int32_t> AffordableUnitTypes(const TeamController* side);

    bool thinking = false;
    bool executingPlan = false;
    float actionTimer = 0.0f;
    float actionDelay = 0.5f;
    std::vector<AIAction> plan;
    std::string name = "default";
    // Search work done in the last call of Think, in milliseconds.
    double lastSliceMs = 0.0;
    // The current or last search's work so far; told to the board's observer when it ends.
    ThinkFigures thought;

protected:
    // Starts thinking from the board as it stands.
    void BeginThinking();
    // One step of the search, at most one evaluation; false once the search is over
    // (the plan is then complete).
    virtual bool SearchStep() { return false; }
    // The search's own figures of a finished search: positions scored and the plan's score.
    virtual void CountSearch(ThinkFigures&) const {}
};
