#include "ai/MinimaxController.h"

#include "ai/Evaluator.h"
#include "board/TileMap.h"
#include "board/Unit.h"

std::vector<AIAction> MinimaxController::GenerateActions(const TeamController* side, Unit* piece) const
{
    std::vector<AIAction> actions;
    if (piece->hasAttacked) {
        return actions;
    }
    if (piece->isCastle) {
        actions.push_back({AIActionKind::Pass, piece, {0, 0}, 0});
        for (int32_t type : AffordableUnitTypes(side)) {
            for (Vector2 tile : piece->GetSpawnTiles()) {
                actions.push_back({AIActionKind::Buy, piece, tile, type});
            }
        }
    } else if (!piece->hasMoved) {
        actions.push_back({AIActionKind::Pass, piece, {0, 0}, 0});
        for (Vector2 tile : piece->GetReachableTiles()) {
            actions.push_back({AIActionKind::Move, piece, tile, 0});
        }
    } else {
        for (Vector2 tile : piece->GetAttackTargets(piece->GetTile())) {
            actions.push_back({AIActionKind::Attack, piece, tile, 0});
        }
    }
    return actions;
}

void MinimaxController::StartTurn()
{
    NotifyUnitsOfTurnStart();
    if (map == nullptr) {
        return;
    }
    Evaluator evaluator(*map);
    std::vector<Unit*> created;  // pieces bought while choosing, freed when the turn is taken back
    for (Unit* piece : map->GetUnitsOf(this)) {
        std::vector<AIAction> candidates = GenerateActions(this, piece);
        while (!candidates.empty()) {
            map->updateVisibility = false;
            AIAction best = candidates.front();
            float bestScore = 0.0f;
            for (size_t i = 0; i < candidates.size(); ++i) {
                Unit* trial = TryAction(candidates[i]);
                float score = evaluator.Evaluate(this);
                TakeBack(trial);
                UpdateVision();
                // NOTE: only a strictly better score replaces the first candidate (Pass wins ties).
                if (i == 0 || score > bestScore) {
                    best = candidates[i];
                    bestScore = score;
                }
            }
            map->updateVisibility = true;
            created.push_back(TryAction(best));
            plan.push_back(best);
            candidates = GenerateActions(this, piece);
        }
    }
    // Take the whole turn back: playback applies it again from the starting position.
    for (auto it = created.rbegin(); it != created.rend(); ++it) {
        TakeBack(*it);
    }
    executingPlan = true;
}
