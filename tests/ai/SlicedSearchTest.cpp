// A search run over many frames must plan exactly what it plans in one piece: each
// slice takes its trials back and the next one applies them again, pieces bought on the
// way included (new addresses, new creation numbers). Random positions, both ways.
#include <random>

#include "ai/AiFixtures.h"
#include "ai/RandomController.h"

namespace {
// A game whose side 0 plays random legal turns and whose side 1 is the opponent under test.
std::unique_ptr<TestGame> RandomGame(const std::string& mapPath, uint32_t seed, bool hps)
{
    auto game = std::make_unique<TestGame>();
    game->root.aiQueue.emplace_back(game->ai = aitest::NewOpponent(hps));
    game->board = new TileMap();
    game->board->mapFile = mapPath;
    game->board->sideZero = new RandomController(seed);
    game->root.AddChild(game->board);
    return game;
}

// Plays on until side 1 starts planning a turn (or the game ends): side 1's plan if it has
// one, then side 0's random turn.
void PlayUntilSideOneThinks(TestGame& game)
{
    for (int step = 0; !game.board->gameOver && !game.ai->IsThinking() && step < 500; ++step) {
        auto* side = static_cast<AIController*>(game.board->teams[static_cast<size_t>(game.board->currentTeam)]);
        side->AdvancePlayback(0.6f);
    }
}

// Two games in lock step from the same seed: one opponent plans in one piece, the other in
// slices of `steps` search steps; their plans must agree action by action, turn after turn.
void CompareOnMap(const std::string& mapPath, uint32_t seed, bool hps, int turns, int& positions)
{
    SCOPED_TRACE(mapPath + (hps ? " two-candidate" : " step search") + ", seed " + std::to_string(seed));
    auto whole = RandomGame(mapPath, seed, hps);
    auto sliced = RandomGame(mapPath, seed, hps);
    for (int turn = 0; turn < turns; ++turn) {
        PlayUntilSideOneThinks(*whole);
        PlayUntilSideOneThinks(*sliced);
        if (whole->board->gameOver || !whole->ai->IsThinking()) {
            EXPECT_EQ(sliced->board->gameOver, whole->board->gameOver);
            return;
        }
        ASSERT_TRUE(sliced->ai->IsThinking());
        whole->ai->FinishThinking();
        const BoardState turnStart = CaptureState(*sliced->board);
        const int64_t steps = 1 + (seed + static_cast<uint32_t>(turn)) % 4;
        while (sliced->ai->Think(AIController::unlimited, steps)) {
            ExpectSameState(turnStart, CaptureState(*sliced->board), true);
        }
        ++positions;
        ASSERT_EQ(aitest::ActionTexts(sliced->ai->plan), aitest::ActionTexts(whole->ai->plan)) << "turn " << turn;
        EXPECT_EQ(TilesText(sliced->ai->visibleTiles), TilesText(whole->ai->visibleTiles)) << "the sight the search left";
        auto* slicedHps = dynamic_cast<HPSController*>(sliced->ai);
        auto* wholeHps = dynamic_cast<HPSController*>(whole->ai);
        EXPECT_TRUE(!hps || (slicedHps->turnsScored == wholeHps->turnsScored &&
                             slicedHps->bestScore == wholeHps->bestScore));
    }
}

}  // namespace

TEST(SlicedSearch, PlansWhatTheSearchInOnePiecePlans)
{
    int positions = 0;
    for (bool hps : {true, false}) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            for (const std::string& map :
                 {GameDataPath("Map1.txt"), GameDataPath("Map2.txt"), GameDataPath("TutorialMap.txt"),
                  TestDataPath("golden-crowded-small.txt"), TestDataPath("golden-skirmish-small.txt"),
                  TestDataPath("golden-map2-siege.txt"), TestDataPath("golden-rich-small.txt"),
                  TestDataPath("ai-actions.txt"), TestDataPath("arena-skirmish.txt")}) {
                CompareOnMap(map, seed, hps, 5, positions);
            }
        }
    }
    EXPECT_GT(positions, 150);
}
