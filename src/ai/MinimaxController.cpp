#include "ai/MinimaxController.h"

#include <memory>

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
    pieces.clear();
    pieceIndex = -1;
    candidates.clear();
    candidateIndex = 0;
    positionsScored = 0;
    // NOTE: a board the search state cannot stand for (a piece off the board, of a side not on it)
    // no game reaches: the opponent then passes its turn.
    if (map->SideOf(this) >= 0 && SearchBoard::Fits(*map)) {
        if (copy == nullptr) {
            copy = std::make_unique<SearchBoard>();
        }
        SearchBoard& board = *copy;
        board.Reset(*map, this);
        for (size_t i = 0; i < board.Pieces().size(); ++i) {
            if (board.Pieces()[i].team == this) {
                pieces.push_back(static_cast<int32_t>(i));
            }
        }
    }
    BeginThinking();
}

bool MinimaxController::SearchStep()
{
    if (pieces.empty()) {
        return false;
    }
    SearchBoard& board = *copy;
    if (candidateIndex < candidates.size()) {
        const SearchBoard::Action& candidate = candidates[candidateIndex];
        board.Apply(candidate);
        const float score = board.Score();
        ++positionsScored;
        board.TakeBack();
        // Each trial is judged by the sight of the position it was tried from.
        board.SeeFromHere();
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
        board.Apply(best);
        board.SeeFromHere();
        plan.push_back(board.Live(best));
        board.Actions(pieces[static_cast<size_t>(pieceIndex)], candidates);
        candidateIndex = 0;
        return true;
    }
    ++pieceIndex;
    if (static_cast<size_t>(pieceIndex) < pieces.size()) {
        board.Actions(pieces[static_cast<size_t>(pieceIndex)], candidates);
        candidateIndex = 0;
        return true;
    }
    // The board itself was never changed: every side's sight is brought up to date, as after a
    // turn tried and taken back.
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
