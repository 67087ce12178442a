#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/AiFixtures.h"
#include "ai/Evaluation.h"
#include "ai/MinimaxController.h"

using aitest::ActionTexts;
using aitest::PieceAt;
using aitest::StartFixture;

namespace {
MinimaxController* Minimax(TestGame& game)
{
    return static_cast<MinimaxController*>(game.ai);
}

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
    const std::vector<AIAction> candidates = Minimax(*game)->GenerateActions(game->ai, knight);
    ASSERT_EQ(ActionTexts(candidates), (std::vector<std::string>{"Knight(0,0) Pass", "Knight(0,0) Move (1,0)"}));
    EXPECT_EQ(TrialScore(*game, candidates[0]), TrialScore(*game, candidates[1])) << "not a tie any more";

    game->board->EndTurn();
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
    EXPECT_EQ(ActionTexts(Minimax(*game)->GenerateActions(game->ai, archer)),
              (std::vector<std::string>{"Archer(0,0) Pass"}));
    game->ai->ApplyAction({AIActionKind::Pass, archer, {0.0f, 0.0f}, 0});
    EXPECT_EQ(ActionTexts(Minimax(*game)->GenerateActions(game->ai, archer)),
              (std::vector<std::string>{"Archer(0,0) Attack (3,0)", "Archer(0,0) Attack (5,0)"}));
    game->board->RestoreSnapshot(static_cast<int32_t>(game->board->history.size()) - 1);

    game->board->EndTurn();
    EXPECT_EQ(ActionTexts(game->ai->plan),
              (std::vector<std::string>{"Archer(0,0) Pass", "Archer(0,0) Attack (5,0)", "Castle(7,0) Pass"}));
}

// ai-generate: 10x3. Row 1 is wall from x 0 to 5 and (5,0) is wall, so the AI Mage (2,0) has a short
// corridor. AI castle (7,1) with an AI Knight below it on (7,2); AI Archer (2,2) with the human Knight
// (6,2) and Mage (1,2) in range; human castle (9,2).
class GenerateActions : public testing::Test {
protected:
    void SetUp() override { game = StartFixture("ai-generate.txt", new MinimaxController()); }

    std::vector<std::string> For(int x, int y)
    {
        Unit* piece = PieceAt(*game->board, x, y);
        EXPECT_NE(piece, nullptr) << "no piece on (" << x << "," << y << ")";
        return piece == nullptr ? std::vector<std::string>() : ActionTexts(Minimax(*game)->GenerateActions(game->ai, piece));
    }

    std::unique_ptr<TestGame> game;
};

TEST_F(GenerateActions, CastleBelowAKnightsCostOnlyPasses)
{
    game->ai->gold = 399;
    EXPECT_EQ(For(7, 1), (std::vector<std::string>{"Castle(7,1) Pass"}));
}

TEST_F(GenerateActions, CastleBuysEachAffordableTypeOnEachFreeNeighbourTypeByType)
{
    // Free neighbours, right-down-left-up: (8,1); (7,2) holds the Knight; (6,1); (7,0).
    game->ai->gold = 400;
    EXPECT_EQ(For(7, 1), (std::vector<std::string>{"Castle(7,1) Pass", "Castle(7,1) Buy Knight (8,1)",
                                                   "Castle(7,1) Buy Knight (6,1)", "Castle(7,1) Buy Knight (7,0)"}));
    game->ai->gold = 700;
    EXPECT_EQ(For(7, 1),
              (std::vector<std::string>{
                  "Castle(7,1) Pass", "Castle(7,1) Buy Knight (8,1)", "Castle(7,1) Buy Knight (6,1)",
                  "Castle(7,1) Buy Knight (7,0)", "Castle(7,1) Buy Archer (8,1)", "Castle(7,1) Buy Archer (6,1)",
                  "Castle(7,1) Buy Archer (7,0)", "Castle(7,1) Buy Mage (8,1)", "Castle(7,1) Buy Mage (6,1)",
                  "Castle(7,1) Buy Mage (7,0)"}));
}

TEST_F(GenerateActions, CastleIgnoresItsOwnHasMovedButNotAPurchase)
{
    game->ai->gold = 400;
    Unit* castle = PieceAt(*game->board, 7, 1);
    castle->hasMoved = true;
    EXPECT_EQ(For(7, 1).size(), 4u) << "a castle that passed next to an enemy castle may still buy";
    castle->hasAttacked = true;
    EXPECT_TRUE(For(7, 1).empty());
}

TEST_F(GenerateActions, FreshUnitPassesOrMovesInDiscoveryOrder)
{
    // Speed 3 in the corridor: right (3,0) and left (1,0) first; the left one, added last, is expanded
    // next and finds (0,0); then (3,0) finds (4,0). (5,0) is wall.
    EXPECT_EQ(For(2, 0), (std::vector<std::string>{"Mage(2,0) Pass", "Mage(2,0) Move (3,0)", "Mage(2,0) Move (1,0)",
                                                   "Mage(2,0) Move (0,0)", "Mage(2,0) Move (4,0)"}));
}

TEST_F(GenerateActions, MovedUnitOnlyAttacksInTheBoardsOrder)
{
    // The human Knight (6,2) comes before the Mage (1,2) in the board's order, though farther away.
    PieceAt(*game->board, 2, 2)->hasMoved = true;
    EXPECT_EQ(For(2, 2), (std::vector<std::string>{"Archer(2,2) Attack (6,2)", "Archer(2,2) Attack (1,2)"}));
}

TEST_F(GenerateActions, FinishedUnitHasNothing)
{
    Unit* archer = PieceAt(*game->board, 2, 2);
    archer->hasMoved = true;
    archer->hasAttacked = true;
    EXPECT_TRUE(For(2, 2).empty());
}

TEST(GenerateActionsShutIn, CastleWithNoFreeNeighbourOnlyPassesWhateverItsGold)
{
    // ai-hps-steps: the AI castle (0,0) at the end of a one-row board, its only neighbour held by a Knight.
    auto game = StartFixture("ai-hps-steps.txt", new MinimaxController());
    game->ai->gold = 5000;
    Unit* castle = PieceAt(*game->board, 0, 0);
    EXPECT_EQ(ActionTexts(Minimax(*game)->GenerateActions(game->ai, castle)),
              (std::vector<std::string>{"Castle(0,0) Pass"}));
}

TEST(MinimaxSearch, PlansTheSameTurnFromTheSamePosition)
{
    auto first = StartFixture("ai-generate.txt", new MinimaxController());
    auto second = StartFixture("ai-generate.txt", new MinimaxController());
    first->board->EndTurn();
    second->board->EndTurn();
    EXPECT_EQ(ActionTexts(first->ai->plan), ActionTexts(second->ai->plan));
    EXPECT_FALSE(first->ai->plan.empty());
}
