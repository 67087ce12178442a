#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/AiFixtures.h"
#include "ai/HPSController.h"

using aitest::ActionTexts;
using aitest::PieceAt;
using aitest::StartFixture;
using aitest::Tile;

namespace {
HPSController* Hps(TestGame& game)
{
    return static_cast<HPSController*>(game.ai);
}

std::vector<std::string> CandidatesOf(TestGame& game, int x, int y)
{
    Unit* piece = PieceAt(*game.board, x, y);
    EXPECT_NE(piece, nullptr) << "no piece on (" << x << "," << y << ")";
    return piece == nullptr ? std::vector<std::string>() : ActionTexts(Hps(game)->CandidateActions(piece));
}
}  // namespace

// ai-hps-steps: one row of 16. AI Knights (3,0), (2,0), (1,0) and castle (0,0); the human castle (15,0)
// is more than a Knight's move and reach away, so every first action finishes its piece: four pieces,
// one step each, two candidates per step: 2^4 complete turns.
TEST(HpsSearch, ScoresTwoToTheNumberOfStepsTurns)
{
    auto game = StartFixture("ai-hps-steps.txt", new HPSController());
    game->board->EndTurn();
    EXPECT_EQ(Hps(*game)->turnsScored, 16);
    EXPECT_EQ(game->ai->plan.size(), 4u) << "one action per piece";
}

// ai-boxed-archer: the walled-in Archer takes two steps (a pass that leaves it a target, then an attack
// or a pass) and the castle one: 2^3.
TEST(HpsSearch, UnitLeftWithATargetTakesASecondStep)
{
    auto game = StartFixture("ai-boxed-archer.txt", new HPSController());
    game->ai->gold = 0;
    game->board->EndTurn();
    EXPECT_EQ(Hps(*game)->turnsScored, 8);
    // The Mage (700) is the most valuable target and killing it scores best.
    EXPECT_EQ(ActionTexts(game->ai->plan),
              (std::vector<std::string>{"Archer(0,0) Pass", "Archer(0,0) Attack (5,0)", "Castle(7,0) Pass"}));
}

// ai-minimax-pocket: the Knight shut in its two-tile pocket scores the same staying or moving to (1,0)
// (see the Minimax tie test); HPS offers exactly those two, and the turn found first, Pass, stays best.
TEST(HpsSearch, EqualScoresKeepTheTurnFoundFirst)
{
    auto game = StartFixture("ai-minimax-pocket.txt", new HPSController());
    game->ai->gold = 0;
    EXPECT_EQ(CandidatesOf(*game, 0, 0), (std::vector<std::string>{"Knight(0,0) Pass", "Knight(0,0) Move (1,0)"}));
    game->board->EndTurn();
    EXPECT_EQ(Hps(*game)->turnsScored, 4);
    EXPECT_EQ(ActionTexts(game->ai->plan), (std::vector<std::string>{"Castle(4,0) Pass", "Knight(0,0) Pass"}));
}

TEST(HpsSearch, AScoreLeftFromAnEarlierTurnDoesNotBlockTheFirstCompleteTurn)
{
    auto fresh = StartFixture("ai-hps-steps.txt", new HPSController());
    auto stale = StartFixture("ai-hps-steps.txt", new HPSController());
    Hps(*stale)->bestScore = 1e30f;
    fresh->board->EndTurn();
    stale->board->EndTurn();
    EXPECT_EQ(ActionTexts(stale->ai->plan), ActionTexts(fresh->ai->plan));
    EXPECT_EQ(Hps(*stale)->bestScore, Hps(*fresh)->bestScore);
}

TEST(HpsCandidates, CastleThatCannotAffordAKnightPassesTwice)
{
    // ai-generate: AI castle (7,1) with three free neighbours.
    auto game = StartFixture("ai-generate.txt", new HPSController());
    game->ai->gold = 399;
    EXPECT_EQ(CandidatesOf(*game, 7, 1), (std::vector<std::string>{"Castle(7,1) Pass", "Castle(7,1) Pass"}));
}

TEST(HpsCandidates, CastleWithNoFreeNeighbourPassesTwice)
{
    auto game = StartFixture("ai-hps-steps.txt", new HPSController());
    game->ai->gold = 5000;
    EXPECT_EQ(CandidatesOf(*game, 0, 0), (std::vector<std::string>{"Castle(0,0) Pass", "Castle(0,0) Pass"}));
}

TEST(HpsCandidates, CastleBuysTheDearestTypeNextToTheNearestEnemy)
{
    // ai-generate: free neighbours of (7,1) are (8,1), (6,1), (7,0). The nearest enemies in sight:
    // (8,1) is 2 from the human castle (9,2); (6,1) is 1 from the human Knight (6,2); (7,0) is 3 away.
    auto game = StartFixture("ai-generate.txt", new HPSController());
    const struct {
        int32_t gold;
        const char* buy;
    } cases[] = {{400, "Castle(7,1) Buy Knight (6,1)"}, {699, "Castle(7,1) Buy Archer (6,1)"},
                 {700, "Castle(7,1) Buy Mage (6,1)"}};
    for (const auto& c : cases) {
        game->ai->gold = c.gold;
        EXPECT_EQ(CandidatesOf(*game, 7, 1), (std::vector<std::string>{c.buy, "Castle(7,1) Pass"}))
            << "with " << c.gold << " gold";
    }
}

TEST(HpsCandidates, UnitWithATargetAfterItsMoveAttacksTheDearestOrPasses)
{
    // ai-generate: the Archer (2,2) has the human Knight (400) and Mage (700) in range.
    auto game = StartFixture("ai-generate.txt", new HPSController());
    PieceAt(*game->board, 2, 2)->hasMoved = true;
    EXPECT_EQ(CandidatesOf(*game, 2, 2),
              (std::vector<std::string>{"Archer(2,2) Attack (1,2)", "Archer(2,2) Pass"}));
}

TEST(HpsCandidates, EqualTargetsGoToTheFirstListed)
{
    // ai-hps-targets: the AI Knight (2,0) between human Knights (3,0) and (1,0); the one on (3,0) comes
    // first in the board's order. Walls below, so the Knight cannot move at all.
    auto game = StartFixture("ai-hps-targets.txt", new HPSController());
    EXPECT_EQ(CandidatesOf(*game, 2, 0), (std::vector<std::string>{"Knight(2,0) Pass", "Knight(2,0) Pass"}));
    PieceAt(*game->board, 2, 0)->hasMoved = true;
    EXPECT_EQ(CandidatesOf(*game, 2, 0),
              (std::vector<std::string>{"Knight(2,0) Attack (3,0)", "Knight(2,0) Pass"}));
}

TEST(HpsCandidates, RangedUnitThatCannotStandNextToItsThreatPasses)
{
    // ai-hps-wall: the AI Archer (0,0) walks row 0 to (1,0), (2,0), (3,0); the human Mage (3,2) is in
    // its reach from there but across the wall, so no reachable tile is next to it: Pass. The approach
    // move takes the reachable tile nearest to an enemy, (3,0), 2 from the Mage.
    auto game = StartFixture("ai-hps-wall.txt", new HPSController());
    EXPECT_EQ(CandidatesOf(*game, 0, 0), (std::vector<std::string>{"Archer(0,0) Pass", "Archer(0,0) Move (3,0)"}));
}

TEST(HpsCandidates, EqualThreatsGoToTheEarlierCreatedPiece)
{
    // ai-hps-threats: the AI Knight (3,0) in a walled corridor, human Knights on (6,0) (created first)
    // and (0,0). Both are threats of equal value; the earlier-created one is chosen and the Knight heads
    // for (5,0), the first reachable tile next to it. The approach move takes (1,0): 1 from (0,0), the
    // first tile with the smallest distance in reachable order (4,0), (2,0), (1,0), (5,0).
    auto game = StartFixture("ai-hps-threats.txt", new HPSController());
    EXPECT_EQ(CandidatesOf(*game, 3, 0), (std::vector<std::string>{"Knight(3,0) Move (5,0)", "Knight(3,0) Move (1,0)"}));
}

TEST(HpsCandidates, DearestThreatWinsOverCreationOrder)
{
    // ai-hps-threats-mage: as above, but (0,0) holds a human Mage (700), created after the Knight (400).
    auto game = StartFixture("ai-hps-threats-mage.txt", new HPSController());
    EXPECT_EQ(CandidatesOf(*game, 3, 0), (std::vector<std::string>{"Knight(3,0) Move (1,0)", "Knight(3,0) Move (1,0)"}));
}

// ai-hps-alone: AI castle (1,1) and Knight (2,0); the only human piece, a Knight on (11,1), is out of the
// AI's sight, and there is no other castle (set-up already decided the game; the board can still be asked).
TEST(HpsCandidates, WithNoEnemyInSightTheApproachPassesAndThePurchaseTakesTheFirstFreeTile)
{
    auto game = StartFixture("ai-hps-alone.txt", new HPSController());
    ASSERT_FALSE(game->ai->CanSee(Tile(11, 1)));
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(2, 1)), 9999999);
    game->ai->gold = 1000;
    // Free neighbours of (1,1): (2,1), (0,1), (1,0); the first is taken.
    EXPECT_EQ(CandidatesOf(*game, 1, 1), (std::vector<std::string>{"Castle(1,1) Buy Mage (2,1)", "Castle(1,1) Pass"}));
    EXPECT_EQ(CandidatesOf(*game, 2, 0), (std::vector<std::string>{"Knight(2,0) Pass", "Knight(2,0) Pass"}));
}

TEST(HpsCandidates, DistanceToNearestEnemyCountsOnlyPiecesInSight)
{
    // ai-hps-threats: from (3,0) both human Knights are 3 away; the human castle (6,2) is 5.
    auto game = StartFixture("ai-hps-threats.txt", new HPSController());
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(3, 0)), 3);
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(6, 1)), 1);
    game->ai->visibleTiles.clear();
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(3, 0)), 9999999);
}
