#include "ai/HPSController.h"

#include "board/TileMap.h"
#include "board/Unit.h"

SearchBoard& HPSController::Copy()
{
    if (copy == nullptr) {
        copy = std::make_unique<SearchBoard>();
    }
    return *copy;
}

void HPSController::StartTurn()
{
    NotifyUnitsOfTurnStart();
    if (map == nullptr) {
        return;
    }
    bestPlan.clear();
    turnsScored = 0;
    branches.clear();
    atNewNode = true;
    // NOTE: a board the copy cannot stand for (a piece off the board, of a side not on it) no game
    // reaches: the opponent then passes its turn.
    searching = map->SideOf(this) >= 0 && SearchBoard::Fits(*map);
    if (searching) {
        Copy().Reset(*map, this);
    }
    BeginThinking();
}

bool HPSController::SearchStep()
{
    if (searching && Advance()) {
        return true;
    }
    // The side's own sight is the one of the last turn scored.
    if (searching) {
        copy->WriteSight();
    }
    plan = bestPlan;
    return false;
}

bool HPSController::Advance()
{
    SearchBoard& board = *copy;
    if (atNewNode) {
        atNewNode = false;
        const int32_t current = board.CurrentPiece();
        if (current < 0) {
            // A complete turn. The sight it leaves decides the next candidates.
            const float score = board.Score();
            ++turnsScored;
            if (score > bestScore || bestPlan.empty()) {
                bestPlan = board.Trials();
                bestScore = score;
            }
        } else {
            branches.push_back({board.Candidates(current), 0});
        }
        return true;
    }
    while (!branches.empty()) {
        Branch& top = branches.back();
        if (top.entered > 0) {
            board.TakeBack();  // the subtree of the candidate entered last is done
        }
        if (top.entered == 2) {
            branches.pop_back();
            continue;
        }
        board.Apply(top.candidates[static_cast<size_t>(top.entered++)]);
        atNewNode = true;
        return true;
    }
    return false;
}

std::vector<AIAction> HPSController::CandidateActions(Unit* piece)
{
    if (map == nullptr || thinking || map->SideOf(this) < 0 || !SearchBoard::Fits(*map)) {
        return {};
    }
    SearchBoard& board = Copy();
    board.Reset(*map, this);
    const int32_t index = board.IndexOf(piece);
    if (index < 0) {
        return {};
    }
    const std::array<SearchBoard::Action, 2> pair = board.Candidates(index);
    return {board.Live(pair[0]), board.Live(pair[1])};
}

void HPSController::CountSearch(ThinkFigures& figures) const
{
    figures.positions = turnsScored;
    figures.bestScore = bestScore;
}
