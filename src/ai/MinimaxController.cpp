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
    SearchEvaluator().Forget();
    pieces = map->GetUnitsOf(this);
    pieceIndex = -1;
    candidates.clear();
    candidateIndex = 0;
    positionsScored = 0;
    sightCurrent = false;
    BeginThinking(map->updateVisibility);
}

bool MinimaxController::SearchStep()
{
    if (candidateIndex < candidates.size()) {
        if (candidateIndex == 0) {
            map->updateVisibility = false;
        }
        const AIAction& candidate = candidates[candidateIndex];
        Unit* trial = TryAction(candidate);
        // The trial's sight is only counted: the list keeps the sight of the position tried from.
        float score = SearchEvaluator().EvaluateCountingSight(this);
        ++positionsScored;
        TakeBack(trial);
        // NOTE: every trial of a step is taken back to the same position, whose sight is then the
        // same list: it is built once, after the first trial of the turn (a played step builds it too).
        if (!sightCurrent) {
            UpdateVision();
            sightCurrent = true;
        }
        // NOTE: only a strictly better score replaces the first candidate (Pass wins ties).
        if (candidateIndex == 0 || score > bestScore) {
            best = candidate;
            bestScore = score;
        }
        ++candidateIndex;
        return true;
    }
    if (!candidates.empty()) {
        // Every candidate of the step is scored: the best is played, and the piece's next step follows.
        // NOTE: only this side's sight matters while the search goes on: every side's is brought up
        // to date once the turn is taken back.
        PushTrial(best);
        UpdateVision();
        sightCurrent = true;
        plan.push_back(best);
        candidates = GenerateActions(this, pieces[static_cast<size_t>(pieceIndex)]);
        candidateIndex = 0;
        return true;
    }
    ++pieceIndex;
    if (static_cast<size_t>(pieceIndex) < pieces.size()) {
        candidates = GenerateActions(this, pieces[static_cast<size_t>(pieceIndex)]);
        candidateIndex = 0;
        return true;
    }
    // Take the whole turn back: playback applies it again from the starting position.
    while (HasTrials()) {
        PopTrial();
    }
    if (!plan.empty()) {
        map->updateVisibility = true;
        map->UpdateAllVision();
    }
    return false;
}

void MinimaxController::CountSearch(ThinkFigures& figures) const
{
    figures.positions = positionsScored;
    figures.bestScore = bestScore;  // the last step's best: the position the whole plan leads to
}
