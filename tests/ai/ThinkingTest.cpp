// The opponents think over many frames. Between two frames the board is the turn's
// starting position and the human can change nothing on it.
#include "ai/AiFixtures.h"
#include "core/InputEvent.h"
#include "input/Clickable.h"

using namespace aitest;

// ai-actions: two AI castles with gold for purchases, kills and captures in reach, and the human
// Knight (1,1) on the board: a search that buys on its way.
TEST(Thinking, UndoAndClicksChangeNothingWhileTheOpponentThinks)
{
    for (bool hps : {true, false}) {
        SCOPED_TRACE(hps ? "two-candidate" : "step search");
        auto game = StartGame("ai-actions.txt", NewOpponent(hps));
        game->ai->gold = 1000;
        game->player->Receive(0);  // End Turn, as the button does
        const BoardState turnStart = CaptureState(*game->board);
        Unit* knight = game->board->GetUnitAt(Tile(1, 1));
        ASSERT_NE(knight, nullptr);
        while (game->ai->Think(AIController::unlimited, 2)) {
            game->player->HandleInput({KeyZ, true});  // an undo here would show in the state below
            game->player->SelectUnit(knight);
            EXPECT_EQ(game->player->selectedUnit, nullptr) << "a piece was selected while the opponent thinks";
            // A selection and highlight left over, released on: it would move the Knight.
            Vector2 mouse = Clickable::MouseWorldPosition();
            game->player->selectedUnit = knight;
            game->player->highlights.push_back({{std::floor(mouse.x / 100.0f), std::floor(mouse.y / 100.0f)}, false});
            EXPECT_FALSE(game->player->HandleInput({MouseLeft, false}));
            game->player->selectedUnit = nullptr;
            game->player->highlights.clear();
            ExpectSameState(turnStart, CaptureState(*game->board), true);
        }
        EXPECT_TRUE(game->ai->executingPlan);  // where Z works again (Playback's tests)
    }
}
