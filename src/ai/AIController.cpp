#include "ai/AIController.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "ai/Evaluator.h"
#include "board/Rules.h"
#include "board/TileMap.h"
#include "board/Unit.h"

AIController::AIController() = default;
AIController::~AIController() = default;

Evaluator& AIController::SearchEvaluator() const
{
    if (evaluator == nullptr) {
        evaluator = std::make_unique<Evaluator>(*map);
    }
    return *evaluator;
}

void AIController::Init()
{
    if (auto* board = dynamic_cast<TileMap*>(parent)) {
        map = board;
    }
}

void AIController::StartTurn()
{
    NotifyUnitsOfTurnStart();
    if (map != nullptr) {
        map->EndTurn();
    }
}

void AIController::Update()
{
    if (thinking) {
        Think(frameBudgetMs);
        return;
    }
    AdvancePlayback(GetFrameTime());
}

void AIController::BeginThinking(bool visibility)
{
    trials.clear();
    turnStartSight.clear();
    for (TeamController* side : map->teams) {
        turnStartSight.push_back(side->visibleTiles);
    }
    searchSight = turnStartSight;
    searchVisibility = visibility;
    thinking = true;
    thought = ThinkFigures();
}

bool AIController::Think(double budgetMs, int64_t maxSteps)
{
    if (!thinking) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto elapsedMs = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
    ResumeSearch();
    bool more = true;
    for (int64_t steps = 0; more && steps < maxSteps;) {
        more = SearchStep();
        ++steps;
        // NOTE: a step takes microseconds; reading the clock after each would cost as much.
        if (steps % 8 == 0 && elapsedMs() >= budgetMs) {
            break;
        }
    }
    if (more) {
        SuspendSearch();
    } else {
        if (evaluator != nullptr) {
            evaluator->TrackChanges(false);
        }
        thinking = false;
        executingPlan = true;
    }
    lastSliceMs = elapsedMs();
    thought.milliseconds += lastSliceMs;
    ++thought.slices;
    if (!more) {
        CountSearch(thought);
        if (map->observer != nullptr) {
            map->observer->Thought(*map, map->SideOf(this), thought);
        }
    }
    return more;
}

void AIController::FinishThinking()
{
    while (Think(unlimited)) {
    }
}

void AIController::SuspendSearch()
{
    if (evaluator != nullptr) {
        evaluator->TrackChanges(false);
    }
    WriteSearchState();
    searchSight.clear();
    for (TeamController* side : map->teams) {
        searchSight.push_back(side->visibleTiles);
    }
    searchVisibility = map->updateVisibility;
    map->updateVisibility = false;
    for (auto it = trials.rbegin(); it != trials.rend(); ++it) {
        TakeBack(it->created);
        it->created = nullptr;
    }
    // NOTE: the frames between two slices draw the turn's starting position, sight included.
    for (size_t i = 0; i < map->teams.size() && i < turnStartSight.size(); ++i) {
        map->teams[i]->visibleTiles = turnStartSight[i];
    }
    map->updateVisibility = true;
}

void AIController::ResumeSearch()
{
    map->updateVisibility = false;
    // Pieces bought on the way are made anew here, at new addresses and with new creation numbers.
    for (Trial& trial : trials) {
        trial.created = TryAction(trial.action);
    }
    for (size_t i = 0; i < map->teams.size() && i < searchSight.size(); ++i) {
        map->teams[i]->visibleTiles = searchSight[i];
    }
    map->updateVisibility = searchVisibility;
    // From here on only the search's trials change the board, each telling the evaluator what.
    if (evaluator != nullptr) {
        evaluator->TrackChanges(true);
    }
}

void AIController::PushTrial(const AIAction& action)
{
    trials.push_back({action, TryAction(action)});
}

void AIController::PopTrial()
{
    TakeBack(trials.back().created);
    trials.pop_back();
}

std::vector<AIAction> AIController::TrialActions() const
{
    std::vector<AIAction> actions;
    actions.reserve(trials.size());
    for (const Trial& trial : trials) {
        actions.push_back(trial.action);
    }
    return actions;
}

void AIController::AdvancePlayback(float seconds)
{
    if (!executingPlan) {
        return;
    }
    actionTimer += seconds;
    if (!(actionTimer > actionDelay)) {
        return;
    }
    actionTimer = 0.0f;
    if (!plan.empty()) {
        AIAction action = plan.front();
        plan.erase(plan.begin());
        ApplyAction(action);
    }
    // NOTE: the last action and the end of the turn happen in the same frame.
    if (plan.empty()) {
        executingPlan = false;
        if (map != nullptr) {
            map->EndTurn();
        }
    }
}

void AIController::ApplyAction(const AIAction& action)
{
    Unit* actor = action.unit;
    switch (action.kind) {
    case AIActionKind::Pass:
        map->PassUnit(actor);
        break;
    case AIActionKind::Move:
        map->MoveUnit(actor, action.tile);
        break;
    case AIActionKind::Attack:
        // A target gone after the human's undo is skipped; AttackUnit then does nothing.
        map->AttackUnit(actor, action.tile);
        break;
    case AIActionKind::Buy:
        map->BuyUnit(actor, action.unitType, action.tile);
        break;
    }
}

namespace {
// A trial is not played: the board's observer does not hear of it, nor of its take-back. It is
// taken back alone, so its history entry holds only what it changes.
class TrialQuiet {
public:
    explicit TrialQuiet(TileMap& board)
        : board(board), observer(std::exchange(board.observer, nullptr)), light(std::exchange(board.lightSnapshots, true))
    {
    }
    ~TrialQuiet()
    {
        board.observer = observer;
        board.lightSnapshots = light;
    }
    TrialQuiet(const TrialQuiet&) = delete;
    TrialQuiet& operator=(const TrialQuiet&) = delete;

private:
    TileMap& board;
    BoardObserver* observer;
    bool light;
};
}  // namespace

void AIController::NoteChange()
{
    if (evaluator == nullptr || map->history.empty()) {
        return;
    }
    const BoardSnapshot& entry = map->history.back();
    // A purchase adds a piece and a kill removes one: every piece may then stand at another index.
    const bool restructured = !entry.light || map->children.size() != entry.childCount ||
                              (entry.attacked != nullptr && entry.attacked->parent == nullptr);
    if (restructured) {
        evaluator->Restructured();
        return;
    }
    for (const UnitSnapshot& record : entry.units) {
        evaluator->Changed(record.unit);
    }
}

Unit* AIController::TryAction(const AIAction& action)
{
    TrialQuiet quiet(*map);
    const size_t entries = map->history.size();
    ApplyAction(action);
    if (map->history.size() > entries) {
        NoteChange();
    }
    if (action.kind == AIActionKind::Buy && !map->Units().empty()) {
        return map->Units().back();
    }
    return nullptr;
}

void AIController::TakeBack(Unit* created)
{
    if (map->history.empty()) {
        return;
    }
    TrialQuiet quiet(*map);
    NoteChange();
    map->RestoreSnapshot(static_cast<int32_t>(map->history.size()) - 1);
    if (created == nullptr || created->parent != nullptr) {
        return;
    }
    auto it = std::find(map->removedUnits.rbegin(), map->removedUnits.rend(), created);
    if (it != map->removedUnits.rend()) {
        map->removedUnits.erase(std::next(it).base());
        delete created;
    }
}

std::vector<int32_t> AIController::AffordableUnitTypes(const TeamController* side)
{
    std::vector<int32_t> types;
    for (int32_t type = 0; type < Rules::buyableTypes; ++type) {
        if (Rules::CanAfford(side->gold, type)) {
            types.push_back(type);
        }
    }
    return types;
}
