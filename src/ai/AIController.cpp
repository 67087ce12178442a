#include "ai/AIController.h"

#include <chrono>

#include "board/Rules.h"
#include "board/TileMap.h"
#include "board/Unit.h"

AIController::AIController() = default;
AIController::~AIController() = default;

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

void AIController::BeginThinking()
{
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
    bool more = true;
    for (int64_t steps = 0; more && steps < maxSteps;) {
        more = SearchStep();
        ++steps;
        // NOTE: a step takes microseconds; reading the clock after each would cost as much.
        if (steps % 8 == 0 && elapsedMs() >= budgetMs) {
            break;
        }
    }
    if (!more) {
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
