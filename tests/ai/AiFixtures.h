#pragma once

// Shared helpers of the opponent tests: readable actions, the rules an action must keep,
// and a whole computer turn planned and played back.
#include <random>

#include "ai/Evaluator.h"
#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "support/TestGame.h"

namespace aitest {
using enum AIActionKind;

inline AIController* NewOpponent(bool hps)
{
    return hps ? static_cast<AIController*>(new HPSController()) : static_cast<AIController*>(new MinimaxController());
}

// "Knight(4,0) Move (3,0)", "Castle(5,0) Buy Mage (4,0)": the actor where it stands now.
inline std::string ActionText(const AIAction& action)
{
    const char* const names[] = {" Pass", " Move ", " Attack ", " Buy "};
    return PieceText(action.unit) + names[static_cast<int>(action.kind)] +
           (action.kind == Buy ? TypeInfo(action.unitType).name + " " : "") +
           (action.kind == Pass ? "" : TileText(action.tile));
}

inline std::vector<std::string> ActionTexts(const std::vector<AIAction>& actions)
{
    std::vector<std::string> texts;
    std::transform(actions.begin(), actions.end(), std::back_inserter(texts), ActionText);
    return texts;
}

// Empty when the rules allow `action` for `side` on the board as it stands; otherwise the action.
// Checked against the range queries themselves, not against the opponents' generators.
inline std::string WhyIllegal(const TileMap& board, const AIController& side, const AIAction& action)
{
    const Unit* unit = action.unit;
    auto offered = [&](const std::vector<Vector2>& tiles) {
        return std::any_of(tiles.begin(), tiles.end(), [&](Vector2 t) { return SameTile(t, action.tile); });
    };
    const bool legal =
        unit != nullptr && unit->parent == &board && unit->team == &side && !unit->hasAttacked &&
        (action.kind == Pass ||
         (action.kind == Move && !unit->isCastle && !unit->hasMoved && offered(unit->GetReachableTiles())) ||
         (action.kind == Attack && !unit->isCastle && offered(unit->GetAttackTargets(unit->GetTile()))) ||
         (action.kind == Buy && unit->isCastle && action.unitType >= 0 && action.unitType <= 2 &&
          TypeInfo(action.unitType).cost <= side.gold && offered(unit->GetSpawnTiles())));
    return legal ? "" : ActionText(action) + " is against the rules";
}

// Ends the human's turn so that the opponent plans its own in slices of a few search steps, as over
// many frames, then plays the plan back, half a second and a bit per step, each action checked
// against the rules. Between two slices the board (sight included) is the one the turn began with,
// which every frame draws, and what the search bought is freed (a game left mid-search leaves
// nothing behind); after the search it still is, but for the opponent's own sight. Returns the
// actions as played; nothing when the end of the human's turn decided the game.
inline std::vector<std::string> PlayAiTurn(TestGame& game)
{
    TileMap& board = *game.board;
    AIController& ai = *game.ai;
    EXPECT_EQ(board.currentTeam, 0);
    board.EndTurn();
    if (board.gameOver) {
        return {};
    }
    const BoardState turnStart = CaptureState(board);
    const std::string humanSight = TilesText(board.teams[0]->visibleTiles);
    const size_t fallen = board.removedUnits.size();
    while (ai.Think(AIController::unlimited, 3)) {
        ExpectSameState(turnStart, CaptureState(board), true);
        EXPECT_EQ(board.removedUnits.size(), fallen) << "a suspended search holds a piece it bought";
    }
    EXPECT_TRUE(ai.executingPlan);
    ExpectSameState(turnStart, CaptureState(board));
    EXPECT_EQ(TilesText(board.teams[0]->visibleTiles), humanSight);
    EXPECT_EQ(board.removedUnits.size(), fallen) << "pieces bought by the search stayed allocated";
    std::vector<std::string> played;
    for (int step = 0; ai.executingPlan && step < 100; ++step) {
        if (!ai.plan.empty()) {
            EXPECT_EQ(WhyIllegal(board, ai, ai.plan.front()), "");
            played.push_back(ActionText(ai.plan.front()));
        }
        ai.AdvancePlayback(0.6f);
    }
    EXPECT_FALSE(ai.executingPlan) << "the plan did not end the turn";
    return played;
}

}  // namespace aitest
