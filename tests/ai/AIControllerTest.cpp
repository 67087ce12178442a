#include "ai/AiFixtures.h"

using namespace aitest;

// ai-actions: 7x3 open board.
//   row 0: human castle (0,0), AI Knight (1,0), AI Archer (4,0)
//   row 1: human Knight (1,1), AI Mage (2,1), AI Knight (3,1), human castle (6,1)
//   row 2: AI castle (0,2), AI castle (6,2) (right under the human castle)
// Per case the actor's tile and whether it moved before, the action's tile (the actor's own for a
// pass), and what follows: the actor's flags, the history entries recorded, the piece on the tile.
TEST(ApplyAction, ChangesTheBoardAsTheRulesSay)
{
    const std::tuple<const char*, AIActionKind, Vector2, bool, Vector2, const char*> cases[] = {
        {"pass with nothing in reach finishes", Pass, {3, 1}, false, {3, 1}, "moved done +1 ai Knight(3,1)"},
        // The human Knight is 4 from the Archer, within its range of 5.
        {"pass with a target keeps the attack step", Pass, {4, 0}, false, {4, 0}, "moved +1 ai Archer(4,0)"},
        {"second pass finishes", Pass, {4, 0}, true, {4, 0}, "moved done +1 ai Archer(4,0)"},
        // A castle's only targets are castles next to it.
        {"castle pass next to an enemy castle", Pass, {6, 2}, false, {6, 2}, "moved +1 ai Castle(6,2)"},
        {"move with nothing in reach finishes", Move, {3, 1}, false, {4, 1}, "moved done +1 ai Knight(4,1)"},
        {"move next to their castle keeps the attack", Move, {3, 1}, false, {5, 1}, "moved +1 ai Knight(5,1)"},
        // 100 damage kills a Knight; an attack does not use up the move.
        {"attack kills and finishes", Attack, {2, 1}, false, {1, 1}, " done +1 nobody"},
        {"attack on a castle captures it", Attack, {1, 0}, false, {0, 0}, " done +1 ai Castle(0,0)"},
        {"attack on an empty tile is skipped", Attack, {3, 1}, false, {4, 1}, " +0 nobody"},
        {"buy a Mage", Buy, {0, 2}, false, {1, 2}, " done +1 ai Mage(1,2)"},
    };
    for (const auto& [name, kind, from, movedBefore, tile, after] : cases) {
        auto game = StartGame("ai-actions.txt");
        TileMap& board = *game->board;
        game->ai->gold = 1000;
        Unit* actor = board.GetUnitAt(from);
        ASSERT_NE(actor, nullptr) << name;
        actor->hasMoved = movedBefore;
        const size_t history = board.history.size();
        game->ai->ApplyAction({kind, actor, tile, 2});  // the unit type is read for a purchase only
        Unit* there = board.GetUnitAt(tile);
        EXPECT_EQ(std::string(actor->hasMoved ? "moved" : "") + (actor->hasAttacked ? " done" : "") + " +" +
                      std::to_string(board.history.size() - history) +
                      (there == nullptr ? " " : there->team == game->ai ? " ai " : " human ") + PieceText(there),
                  after) << name;
        EXPECT_EQ(game->ai->gold, kind == Buy ? 300 : 1000) << name << ": a Mage costs 700";
        if (kind == Buy) {
            EXPECT_TRUE(there->hasMoved && there->hasAttacked) << "a bought unit waits for the next turn";
            EXPECT_EQ(board.children.back(), there);
        }
    }
}

// Playback runs during the AI's turn: ending the human's turn lets the search plan it, then the
// test drives the steps with chosen frame times, on a plan of its own.
TEST(Playback, EachActionWaitsForMoreThanHalfASecondAndTheLastEndsTheTurn)
{
    auto game = StartGame("ai-actions.txt", new MinimaxController());
    TileMap& board = *game->board;
    AIController& ai = *game->ai;
    board.EndTurn();
    ai.FinishThinking();
    ASSERT_TRUE(ai.executingPlan);
    const std::vector<AIAction> plan = {{Move, board.GetUnitAt(Tile(3, 1)), Tile(4, 1)},
                                        {Pass, board.GetUnitAt(Tile(4, 0))}};
    ai.plan = plan;
    for (size_t i = 0; i < plan.size(); ++i) {
        // 0.25 + 0.25 is exactly half a second: not yet; a thousandth more is enough.
        ai.AdvancePlayback(0.25f);
        ai.AdvancePlayback(0.25f);
        EXPECT_EQ(ai.plan.size(), plan.size() - i) << "action " << i << " played too early";
        ai.AdvancePlayback(0.001f);
        EXPECT_EQ(ai.plan.size(), plan.size() - i - 1) << "action " << i << " not played at 0.501 s";
    }
    EXPECT_TRUE(!ai.executingPlan && board.currentTeam == 0) << "the last action ends the turn in its frame";
    // With no plan running, time is not even counted: it would cut the wait before the next turn's
    // first action. A long wait plays nothing and ends no turn.
    const size_t history = board.history.size();
    ai.AdvancePlayback(0.3f);
    EXPECT_EQ(ai.actionTimer, 0.0f);
    ai.AdvancePlayback(10.0f);
    EXPECT_EQ(board.history.size(), history);
}

// Z works during the opponent's playback and changes the board under its plan; the rest of the plan
// is then played on the changed board as it is. Whichever action the undo follows, the turn must
// still end, with every piece either on the board or among the fallen, never both.
TEST(Playback, UndoDuringPlaybackLetsTheRestOfThePlanPlayOut)
{
    for (bool hps : {false, true}) {
        for (size_t undoAfter = 1; undoAfter <= 8; ++undoAfter) {
            SCOPED_TRACE(std::string(hps ? "hps" : "minimax") + ", Z after action " + std::to_string(undoAfter));
            auto game = StartGame("golden-map1-midgame.txt", NewOpponent(hps));
            AIController& ai = *game->ai;
            game->player->Receive(0);  // End Turn
            ai.FinishThinking();
            ASSERT_TRUE(ai.executingPlan);
            for (size_t step = 0; step < undoAfter; ++step) {
                ai.AdvancePlayback(0.6f);
            }
            if (!ai.executingPlan) {
                break;  // the whole plan is played; Z after it is the human's undo of the turn end
            }
            game->player->HandleInput({KeyZ, true});
            for (int step = 0; step < 40 && ai.executingPlan; ++step) {
                ai.AdvancePlayback(0.6f);
            }
            EXPECT_FALSE(ai.executingPlan) << "the turn never ended";
            EXPECT_TRUE(game->board->gameOver || game->board->currentTeam == 0);
            for (Unit* unit : game->board->removedUnits) {
                EXPECT_EQ(unit->parent, nullptr) << "a fallen piece still has a parent";
            }
        }
    }
}
