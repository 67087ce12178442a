#include "ai/AiFixtures.h"
#include "ai/Evaluation.h"

using namespace aitest;

namespace {
// The score of one trial action as the search gets it: applied with vision frozen, scored, taken back.
float TrialScore(TestGame& game, const AIAction& action)
{
    TileMap& board = *game.board;
    board.updateVisibility = false;
    game.ai->ApplyAction(action);
    const float score = Evaluate(board, game.ai);
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    game.ai->UpdateVision();
    board.updateVisibility = true;
    return score;
}
}  // namespace

// ai-minimax-pocket: the AI Knight (0,0) is shut in a two-tile pocket {(0,0), (1,0)} by walls; castles at
// (4,0) (AI) and (4,2) (human). From either tile of the pocket the human castle cannot be walked to
// (the unreachable cost), nothing can be reached to attack, and all 15 tiles stay in sight: moving to
// (1,0) scores exactly what staying scores, and the first candidate, Pass, must win the tie.
TEST(MinimaxSearch, TiesKeepThePass)
{
    auto game = StartFixture("ai-minimax-pocket.txt", new MinimaxController());
    game->ai->gold = 0;  // 100 after income: the castle can buy nothing
    Unit* knight = PieceAt(*game->board, 0, 0);
    ASSERT_EQ(Offered(*game, 0, 0), (std::vector<std::string>{"Knight(0,0) Pass", "Knight(0,0) Move (1,0)"}));
    EXPECT_EQ(TrialScore(*game, Act(AIActionKind::Pass, knight)),
              TrialScore(*game, Act(AIActionKind::Move, knight, 1, 0)))
        << "not a tie any more";

    game->board->EndTurn();
    game->ai->FinishThinking();
    EXPECT_EQ(ActionTexts(game->ai->plan), (std::vector<std::string>{"Castle(4,0) Pass", "Knight(0,0) Pass"}));
}

// ai-boxed-archer: the AI Archer (0,0) is walled in and cannot move; the human Knight (3,0) and Mage (5,0)
// are both in its range. Its only first step is Pass, which leaves it a target, so its second step
// offers attacks and nothing else. Killing the Mage takes 700 off the human side (+7000); wounding the
// Knight changes no term the Archer's side can see, so the Mage it is.
TEST(MinimaxSearch, UnitThatPassesWithATargetMustAttack)
{
    auto game = StartFixture("ai-boxed-archer.txt", new MinimaxController());
    game->ai->gold = 0;
    Unit* archer = PieceAt(*game->board, 0, 0);
    EXPECT_EQ(Offered(*game, 0, 0), (std::vector<std::string>{"Archer(0,0) Pass"}));
    game->ai->ApplyAction(Act(AIActionKind::Pass, archer));
    EXPECT_EQ(Offered(*game, 0, 0), (std::vector<std::string>{"Archer(0,0) Attack (3,0)", "Archer(0,0) Attack (5,0)"}));
    game->board->RestoreSnapshot(static_cast<int32_t>(game->board->history.size()) - 1);

    game->board->EndTurn();
    game->ai->FinishThinking();
    EXPECT_EQ(ActionTexts(game->ai->plan),
              (std::vector<std::string>{"Archer(0,0) Pass", "Archer(0,0) Attack (5,0)", "Castle(7,0) Pass"}));
}
