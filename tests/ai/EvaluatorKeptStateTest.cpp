// The searches' evaluator keeps state from one evaluation to the next: the side's sight,
// counted tile by tile as pieces move, and threat sets remembered by neighbourhood. Along
// random trial paths, across Forget, it must score and answer exactly as a fresh evaluator
// and leave the sight UpdateVision builds, tile for tile and in the same order.
#include "ai/AiFixtures.h"

TEST(EvaluatorKeptState, ScoresAndSightAsAFreshEvaluator)
{
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        for (const std::string& map : {GameDataPath("Map1.txt"), GameDataPath("Map2.txt"),
                                       GameDataPath("TutorialMap.txt"), TestDataPath("golden-crowded-small.txt"),
                                       TestDataPath("ai-actions.txt"), TestDataPath("golden-map2-siege.txt")}) {
            SCOPED_TRACE(map + ", seed " + std::to_string(seed));
            auto game = StartGame(map, new HPSController());
            TileMap& board = *game->board;
            AIController& ai = *game->ai;
            board.currentTeam = 1;
            ai.gold = 1500;  // purchases among the trials
            board.updateVisibility = false;
            MinimaxController generator;
            std::mt19937 rng(seed);
            Evaluator kept(board);
            kept.Forget();  // as a search does when it starts
            std::vector<Vector2> sightBefore = ai.visibleTiles;
            std::vector<Unit*> created;  // per applied trial
            for (int step = 0; step < 150; ++step) {
                std::vector<AIAction> actions;
                for (Unit* piece : board.GetUnitsOf(&ai)) {
                    std::vector<AIAction> more = generator.GenerateActions(&ai, piece);
                    actions.insert(actions.end(), more.begin(), more.end());
                }
                if (!actions.empty() && (created.empty() || rng() % 3 != 0)) {
                    created.push_back(ai.TryAction(actions[rng() % actions.size()]));
                } else if (!created.empty()) {
                    ai.TakeBack(created.back());
                    created.pop_back();
                }
                // A fresh evaluator, reading the sight the last evaluation left.
                ai.visibleTiles = sightBefore;
                Evaluator freshEvaluator(board);
                const float fresh = freshEvaluator.Evaluate(&ai);
                const std::vector<Vector2> sightNow = ai.visibleTiles;
                ai.visibleTiles = sightBefore;
                ASSERT_EQ(kept.EvaluateKeepingSight(&ai), fresh) << "step " << step;
                if (step % 5 == 0) {
                    kept.WriteSight();
                    ASSERT_EQ(TilesText(ai.visibleTiles), TilesText(sightNow)) << "step " << step;
                }
                sightBefore = sightNow;
                // The threat sets and reachable tiles it remembers are those a fresh one computes.
                kept.Refresh();
                for (Unit* piece : board.GetUnits()) {
                    ASSERT_EQ(kept.ThreatSet(*piece), freshEvaluator.ThreatSet(*piece)) << "step " << step;
                    ASSERT_EQ(TilesText(kept.Reachable(*piece)), TilesText(freshEvaluator.Reachable(*piece))) << "step " << step;
                }
                if (step % 50 == 49) {
                    kept.Forget();  // as a new search does
                }
            }
        }
    }
}
