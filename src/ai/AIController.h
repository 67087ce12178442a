#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "board/BoardObserver.h"
#include "board/TeamController.h"

class Evaluator;
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
    // `budgetMs` has passed or `maxSteps` steps are done. Between two calls the board is
    // back at the position the turn began with. Returns true while the search goes on;
    // when it ends, playback starts.
    bool Think(double budgetMs, int64_t maxSteps = std::numeric_limits<int64_t>::max());
    // The whole search in one go, for tools and tests that run without frames.
    void FinishThinking();

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
    // The searches' evaluator, made on first use and kept from turn to turn: releasing what it
    // remembered would stall the frame that ends a search. A search calls Forget as it starts.
    Evaluator& SearchEvaluator() const;
    // Starts thinking from the board as it stands; `visibility` is the board's
    // updateVisibility flag the search starts with.
    void BeginThinking(bool visibility);
    // One step of the search, at most one evaluation; false once the search is over
    // (the plan is then complete and the board back where the turn began).
    virtual bool SearchStep() { return false; }
    // Before a slice ends: whatever the search keeps aside of the board's state goes back to it.
    virtual void WriteSearchState() {}
    // The search's own figures of a finished search: positions scored and the plan's score.
    virtual void CountSearch(ThinkFigures&) const {}
    // A trial action the search keeps applied while it looks further, and taking back the last one.
    void PushTrial(const AIAction& action);
    void PopTrial();
    std::vector<AIAction> TrialActions() const;
    bool HasTrials() const { return !trials.empty(); }

private:
    struct Trial {
        AIAction action;
        Unit* created = nullptr;  // the piece a purchase made; freed with the take-back
    };
    // Tells the search's evaluator, if any, what the action of the newest history entry changes:
    // called after a trial is applied and before it is taken back.
    void NoteChange();
    // Takes the search's trials back and shows the turn's starting position; and the reverse.
    void SuspendSearch();
    void ResumeSearch();

    std::vector<Trial> trials;
    // Every side's sight when the turn began (shown between slices), and as the search left it.
    std::vector<std::vector<Vector2>> turnStartSight;
    std::vector<std::vector<Vector2>> searchSight;
    bool searchVisibility = true;
    mutable std::unique_ptr<Evaluator> evaluator;
};
