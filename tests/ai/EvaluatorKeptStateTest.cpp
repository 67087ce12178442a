// The searches' evaluator keeps state from one evaluation to the next: path and approach costs,
// threat sets remembered by neighbourhood and, for the two-candidate search, the side's sight,
// counted tile by tile as pieces move. Along random trial paths, across Forget, it must score and
// answer exactly as a fresh evaluator and leave the sight UpdateVision builds, tile for tile and in
// the same order. The third seed scores rebuilding the sight each time, the fourth as the step search
// does: the trial's sight only counted, the list left as the position it was tried from saw it.
// The first two are the opponent's own evaluator, told by its trials which pieces they change: the
// grid of who stands where follows those alone.
#include "ai/AiFixtures.h"

namespace {
struct TrackedOpponent : HPSController {
    Evaluator& Kept() { return SearchEvaluator(); }
};
}  // namespace

TEST(EvaluatorKeptState, ScoresAndSightAsAFreshEvaluator)
{
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        for (const std::string& map : {GameDataPath("Map1.txt"), GameDataPath("Map2.txt"),
                                       GameDataPath("TutorialMap.txt"), TestDataPath("golden-crowded-small.txt"),
                                       TestDataPath("ai-actions.txt"), TestDataPath("golden-map2-siege.txt")}) {
            SCOPED_TRACE(map + ", seed " + std::to_string(seed));
            auto* opponent = new TrackedOpponent();
            auto game = StartGame(map, opponent);
            TileMap& board = *game->board;
            AIController& ai = *game->ai;
            board.currentTeam = 1;
            ai.gold = 1500;  // purchases among the trials
            board.updateVisibility = false;
            MinimaxController generator;
            std::mt19937 rng(seed);
            Evaluator& kept = opponent->Kept();
            kept.Forget();  // as a search does when it starts
            kept.TrackChanges(seed != 3);
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
                // The enemies in sight as the search's next piece finds them, before the position is scored.
                kept.Refresh();
                ASSERT_EQ(TilesText(kept.SeenEnemyTiles(&ai)), TilesText(freshEvaluator.SeenEnemyTiles(&ai))) << "step " << step;
                const float fresh = freshEvaluator.Evaluate(&ai);
                const std::vector<Vector2> sightNow = ai.visibleTiles;
                ai.visibleTiles = sightBefore;
                const float score = seed < 3 ? kept.EvaluateKeepingSight(&ai) : seed == 3 ? kept.Evaluate(&ai) : kept.EvaluateCountingSight(&ai);
                ASSERT_EQ(score, fresh) << "step " << step;
                if (seed == 4) {
                    ASSERT_EQ(TilesText(ai.visibleTiles), TilesText(sightBefore)) << "step " << step;
                    // As the step search does, one more trial scored against this position's sight and
                    // taken back: the next scoring counts from the trial's sight, not this one's.
                    ai.visibleTiles = sightNow;
                    Unit* piece = board.GetUnitsOf(&ai)[rng() % board.GetUnitsOf(&ai).size()];
                    std::vector<AIAction> trials = generator.GenerateActions(&ai, piece);
                    if (!trials.empty()) {
                        Unit* made = ai.TryAction(trials[rng() % trials.size()]);
                        const float counted = kept.EvaluateCountingSight(&ai);
                        ai.visibleTiles = sightNow;
                        ASSERT_EQ(counted, Evaluator(board).Evaluate(&ai)) << "step " << step << ", a trial of " << PieceText(piece);
                        ai.TakeBack(made);
                        ai.visibleTiles = sightNow;
                    }
                } else if (step % 5 == 0) {
                    kept.WriteSight();
                    ASSERT_EQ(TilesText(ai.visibleTiles), TilesText(sightNow)) << "step " << step;
                }
                sightBefore = sightNow;
                // The threat sets, reachable tiles and enemies in sight it remembers are those a fresh one finds.
                kept.Refresh();
                const std::vector<Vector2> listed = ai.visibleTiles;
                ai.visibleTiles = sightNow;
                const std::string seen = TilesText(freshEvaluator.SeenEnemyTiles(&ai));
                ai.visibleTiles = listed;
                ASSERT_EQ(TilesText(kept.SeenEnemyTiles(&ai)), seen) << "step " << step;
                for (int32_t y = 0; y < static_cast<int32_t>(board.tiles.size()); ++y) {
                    for (int32_t x = 0; x < static_cast<int32_t>(board.tiles[0].size()); ++x) {
                        ASSERT_EQ(kept.PieceAt(Tile(x, y)), freshEvaluator.PieceAt(Tile(x, y))) << "step " << step << " on " << TileText(Tile(x, y));
                    }
                }
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

// An opponent keeps its evaluator from turn to turn, and with it what it worked out (path and
// approach costs, threat sets, reachable tiles): none of it may reach into the next turn. One row
// of 12: human castle (0,0) and Knight (7,0), AI Knight (9,0) and castle (11,0). Nothing the AI can
// do changes which enemies it sees, so a whole search sees one list of them. When the human Knight
// has stepped to (6,0), the next turn is the one a fresh opponent plans, with the same score.
TEST(EvaluatorKeptState, TheNextTurnIsPlannedAsByAFreshOpponent)
{
    for (bool hps : {true, false}) {
        SCOPED_TRACE(hps ? "two-candidate" : "step search");
        const std::string map = "000000000000\n\n3,0,0,0\n0,7,0,0\n0,9,0,1\n3,11,0,1\n";
        auto kept = StartGame(map, aitest::NewOpponent(hps));
        auto fresh = StartGame(map, aitest::NewOpponent(hps));
        kept->board->EndTurn();
        kept->ai->FinishThinking();
        kept->ai->plan.clear();  // the turn ends without playing its plan
        kept->ai->AdvancePlayback(1.0f);
        std::vector<std::vector<std::string>> plans;
        std::vector<float> scores;
        for (TestGame* game : {kept.get(), fresh.get()}) {
            game->board->MoveUnit(game->board->GetUnitAt(Tile(7, 0)), Tile(6, 0));
            game->player->gold = 0;
            game->ai->gold = 300;
            game->board->EndTurn();
            game->ai->FinishThinking();
            plans.push_back(aitest::ActionTexts(game->ai->plan));
            scores.push_back(hps ? static_cast<HPSController*>(game->ai)->bestScore : 0.0f);
        }
        EXPECT_EQ(plans[0], plans[1]);
        EXPECT_EQ(scores[0], scores[1]);
    }
}
