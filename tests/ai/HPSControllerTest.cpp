#include "ai/AiFixtures.h"

using namespace aitest;

// ai-hps-steps: one row of 16. AI Knights (3,0), (2,0), (1,0) and castle (0,0); the human castle (15,0)
// is more than a Knight's move and reach away, so every first action finishes its piece: four pieces,
// one step each, two candidates per step: 2^4 complete turns. A score left from an earlier search
// must not block the first complete turn of the next one.
TEST(HpsSearch, ScoresTwoToTheNumberOfStepsTurnsWhateverScoreWasLeftBefore)
{
    auto fresh = StartFixture("ai-hps-steps.txt", new HPSController());
    auto stale = StartFixture("ai-hps-steps.txt", new HPSController());
    static_cast<HPSController*>(stale->ai)->bestScore = 1e30f;
    fresh->board->EndTurn();
    fresh->ai->FinishThinking();
    stale->board->EndTurn();
    stale->ai->FinishThinking();
    EXPECT_EQ(static_cast<HPSController*>(fresh->ai)->turnsScored, 16);
    EXPECT_EQ(fresh->ai->plan.size(), 4u) << "one action per piece";
    EXPECT_EQ(ActionTexts(stale->ai->plan), ActionTexts(fresh->ai->plan));
    EXPECT_EQ(static_cast<HPSController*>(stale->ai)->bestScore, static_cast<HPSController*>(fresh->ai)->bestScore);
}

// ai-boxed-archer: the walled-in Archer takes two steps (a pass that leaves it a target, then an attack
// or a pass) and the castle one: 2^3.
TEST(HpsSearch, UnitLeftWithATargetTakesASecondStep)
{
    auto game = StartFixture("ai-boxed-archer.txt", new HPSController());
    game->ai->gold = 0;
    game->board->EndTurn();
    game->ai->FinishThinking();
    EXPECT_EQ(static_cast<HPSController*>(game->ai)->turnsScored, 8);
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
    EXPECT_EQ(aitest::Offered(*game, 0, 0), (std::vector<std::string>{"Knight(0,0) Pass", "Knight(0,0) Move (1,0)"}));
    game->board->EndTurn();
    game->ai->FinishThinking();
    EXPECT_EQ(static_cast<HPSController*>(game->ai)->turnsScored, 4);
    EXPECT_EQ(ActionTexts(game->ai->plan), (std::vector<std::string>{"Castle(4,0) Pass", "Knight(0,0) Pass"}));
}

TEST(HpsCandidates, DistanceToNearestEnemyCountsOnlyPiecesInSight)
{
    // ai-hps-threats: from (3,0) both human Knights are 3 away; the human castle (6,2) is 5.
    auto game = StartFixture("ai-hps-threats.txt", new HPSController());
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(3, 0)), 3);
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(6, 1)), 1);
    game->ai->visibleTiles.clear();
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(3, 0)), 9999999);

    // ai-hps-alone: the only human piece, a Knight on (11,1), is out of the AI's sight.
    auto alone = StartFixture("ai-hps-alone.txt", new HPSController());
    ASSERT_FALSE(alone->ai->CanSee(Tile(11, 1)));
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(alone->ai, Tile(2, 1)), 9999999);
}
