#include "ai/AiFixtures.h"

using namespace aitest;

// ai-hps-steps: one row of 16. AI Knights (3,0), (2,0), (1,0) and castle (0,0); the human castle (15,0)
// is out of every reach, so each first action finishes its piece: 2^4 complete turns. A score left from
// an earlier search must not block the first complete turn of the next one.
TEST(HpsSearch, ScoresTwoToTheNumberOfStepsTurnsWhateverScoreWasLeftBefore)
{
    auto fresh = StartFixture("ai-hps-steps.txt", new HPSController());
    auto stale = StartFixture("ai-hps-steps.txt", new HPSController());
    static_cast<HPSController*>(stale->ai)->bestScore = 1e30f;
    fresh->board->EndTurn();
    stale->board->EndTurn();
    EXPECT_EQ(static_cast<HPSController*>(fresh->ai)->turnsScored, 16);
    EXPECT_EQ(fresh->ai->plan.size(), 4u) << "one action per piece";
    EXPECT_EQ(ActionTexts(stale->ai->plan), ActionTexts(fresh->ai->plan));
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
