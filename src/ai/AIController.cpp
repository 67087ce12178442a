#include "ai/AIController.h"

#include <algorithm>

#include "board/TileMap.h"
#include "board/Unit.h"

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
    AdvancePlayback(GetFrameTime());
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
        map->TakeSnapshot();
        if (!actor->hasMoved) {
            actor->hasMoved = true;
            // A unit that still has a target keeps its attack step.
            if (actor->GetAttackTargets(actor->GetTile()).empty()) {
                actor->hasAttacked = true;
            }
        } else {
            actor->hasAttacked = true;
        }
        if (map->updateVisibility) {
            map->UpdateAllVision();
        }
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

Unit* AIController::TryAction(const AIAction& action)
{
    ApplyAction(action);
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
    for (int32_t type = 0; type < 3; ++type) {
        if (TypeInfo(type).cost <= side->gold) {
            types.push_back(type);
        }
    }
    return types;
}
