#include "ai/AiFixtures.h"

using namespace aitest;

// ai-actions: 7x3 open board.
//   row 0: human castle (0,0), AI Knight (1,0), AI Archer (4,0)
//   row 1: human Knight (1,1), AI Mage (2,1), AI Knight (3,1), human castle (6,1)
//   row 2: AI castle (0,2), AI castle (6,2) (right under the human castle)
TEST(ApplyAction, ChangesTheBoardAsTheRulesSay)
{
    struct Case {
        const char* name;
        AIActionKind kind;
        int x, y, targetX, targetY;  // the actor; the action's tile (the actor's own for a pass)
        int32_t type;
        bool movedBefore, moved, attacked;  // the actor's flags before and after
        size_t entries;                     // history entries recorded
        const char* onTarget;               // the piece on the target tile afterwards, with its owner
    };
    const Case cases[] = {
        {"pass with nothing in reach finishes", Pass, 3, 1, 3, 1, 0, false, true, true, 1, "ai Knight(3,1)"},
        // The human Knight is 4 from the Archer, within its range of 5.
        {"pass with a target keeps the attack step", Pass, 4, 0, 4, 0, 0, false, true, false, 1, "ai Archer(4,0)"},
        {"second pass finishes", Pass, 4, 0, 4, 0, 0, true, true, true, 1, "ai Archer(4,0)"},
        // A castle's only targets are castles next to it.
        {"castle pass next to an enemy castle", Pass, 6, 2, 6, 2, 0, false, true, false, 1, "ai Castle(6,2)"},
        {"move with nothing in reach finishes", Move, 3, 1, 4, 1, 0, false, true, true, 1, "ai Knight(4,1)"},
        {"move next to their castle keeps the attack", Move, 3, 1, 5, 1, 0, false, true, false, 1, "ai Knight(5,1)"},
        // 100 damage kills a Knight; an attack does not use up the move.
        {"attack kills and finishes", Attack, 2, 1, 1, 1, 0, false, false, true, 1, "nobody"},
        {"attack on a castle captures it", Attack, 1, 0, 0, 0, 0, false, false, true, 1, "ai Castle(0,0)"},
        {"attack on an empty tile is skipped", Attack, 3, 1, 4, 1, 0, false, false, false, 0, "nobody"},
        {"buy Mage", Buy, 0, 2, 1, 2, 2, false, false, true, 1, "ai Mage(1,2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto game = StartGame("ai-actions.txt");
        TileMap& board = *game->board;
        game->ai->gold = 1000;
        Unit* actor = PieceAt(board, c.x, c.y);
        ASSERT_NE(actor, nullptr);
        actor->hasMoved = c.movedBefore;
        const size_t history = board.history.size();
        game->ai->ApplyAction(Act(c.kind, actor, c.targetX, c.targetY, c.type));
        EXPECT_EQ(actor->hasMoved, c.moved);
        EXPECT_EQ(actor->hasAttacked, c.attacked);
        EXPECT_EQ(board.history.size(), history + c.entries);
        Unit* there = PieceAt(board, c.targetX, c.targetY);
        EXPECT_EQ((there == nullptr ? "" : there->team == game->ai ? "ai " : "human ") + PieceText(there), c.onTarget);
        EXPECT_EQ(game->ai->gold, c.kind == Buy ? 300 : 1000) << "a Mage costs 700";
        if (c.kind == Buy) {
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
    const std::vector<AIAction> plan = {Act(Move, PieceAt(board, 3, 1), 4, 1), Act(Pass, PieceAt(board, 4, 0))};
    ai.plan = plan;
    for (size_t i = 0; i < plan.size(); ++i) {
        const size_t history = board.history.size();
        // 0.25 + 0.25 is exactly half a second: not yet; a thousandth more is enough.
        ai.AdvancePlayback(0.25f);
        ai.AdvancePlayback(0.25f);
        EXPECT_EQ(ai.plan.size(), plan.size() - i) << "action " << i << " played too early";
        ai.AdvancePlayback(0.001f);
        EXPECT_EQ(ai.plan.size(), plan.size() - i - 1) << "action " << i << " not played at 0.501 s";
        const bool last = i + 1 == plan.size();
        EXPECT_EQ(board.history.size(), history + (last ? 2 : 1)) << "its entry (and the end of turn)";
        EXPECT_EQ(board.currentTeam, last ? 0 : 1);
        EXPECT_EQ(ai.executingPlan, !last);
    }
    // With no plan running, time is not even counted.
    const size_t history = board.history.size();
    ai.AdvancePlayback(10.0f);
    EXPECT_EQ(ai.actionTimer, 0.0f);
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
            TileMap& board = *game->board;
            game->player->Receive(0);  // End Turn
            game->ai->FinishThinking();
            ASSERT_TRUE(game->ai->executingPlan);
            for (size_t step = 0; step < undoAfter; ++step) {
                game->ai->AdvancePlayback(0.6f);
            }
            if (!game->ai->executingPlan) {
                break;  // the whole plan is played; Z after it is the human's undo of the turn end
            }
            game->player->HandleInput({KeyZ, true});
            for (int step = 0; step < 40 && game->ai->executingPlan; ++step) {
                game->ai->AdvancePlayback(0.6f);
            }
            EXPECT_FALSE(game->ai->executingPlan) << "the turn never ended";
            EXPECT_TRUE(board.gameOver || board.currentTeam == 0);
            for (Unit* unit : board.removedUnits) {
                EXPECT_EQ(unit->parent, nullptr) << "a fallen piece still has a parent";
            }
        }
    }
}
