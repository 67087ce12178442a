// The two-candidate search works on its own copy of the board, which keeps its neighbourhoods,
// sight, approach costs and material from one position to the next. Along random paths of the
// search's own candidates, with trials taken back at random, the copy must name the piece the live
// board names, offer the candidates the opponent finds on the live board, and score each complete
// turn as a fresh evaluator does, leaving the same sight tile for tile. On the last board a Knight's
// approach brings an enemy Knight into sight, and the other Knight's approach then turns to it.
#include "ai/AiFixtures.h"
#include "ai/SearchBoard.h"

using enum AIActionKind;

TEST(SearchBoard, AnswersAsTheLiveBoardAlongRandomSearchPaths)
{
    int64_t scored = 0;
    int64_t attacks = 0;
    for (uint32_t seed = 1; seed <= 2; ++seed) {
        for (const std::string& map : {GameDataPath("Map1.txt"), GameDataPath("Map2.txt"), TestDataPath("golden-crowded-small.txt"),
                                       TestDataPath("golden-map2-siege.txt"), TestDataPath("golden-capture-corridor.txt"),
                                       TestDataPath("ai-eval-neutral.txt"), TestDataPath("golden-skirmish-small.txt"),
                                       TestDataPath("search-reveal.txt")}) {
            SCOPED_TRACE(map + ", seed " + std::to_string(seed));
            auto* opponent = new HPSController();
            auto game = StartGame(map, opponent);
            TileMap& board = *game->board;
            board.currentTeam = 1;
            opponent->gold = 1500;  // purchases among the trials
            board.updateVisibility = false;
            ASSERT_TRUE(SearchBoard::Fits(board));
            SearchBoard copy;
            copy.Reset(board, opponent);
            std::mt19937 rng(seed);
            std::vector<Vector2> sight = opponent->visibleTiles;  // as the last scored turn left it
            std::vector<Unit*> created;                           // per trial on the live board
            for (int step = 0; step < 400; ++step) {
                const int32_t current = copy.CurrentPiece();
                Unit* live = nullptr;
                for (Unit* piece : board.GetUnitsOf(opponent)) {
                    live = live == nullptr && !piece->hasAttacked ? piece : live;
                }
                ASSERT_EQ(current < 0 ? nullptr : copy.Live({Pass, current}).unit, live) << "step " << step;
                if (current < 0) {
                    opponent->visibleTiles = sight;
                    const float expected = Evaluator(board).Evaluate(opponent);
                    const std::vector<Vector2> sightNow = opponent->visibleTiles;
                    opponent->visibleTiles = sight;
                    ASSERT_EQ(copy.Score(), expected) << "step " << step;
                    copy.WriteSight();
                    ASSERT_EQ(TilesText(opponent->visibleTiles), TilesText(sightNow)) << "step " << step;
                    sight = sightNow;
                    ++scored;
                }
                // Back a few trials after a complete turn, now and then before.
                const bool back = current < 0 || rng() % 6 == 0;
                for (uint32_t n = back ? 1 + rng() % 4 : 0; n > 0 && !created.empty(); --n) {
                    copy.TakeBack();
                    opponent->TakeBack(created.back());
                    created.pop_back();
                }
                if (back) {
                    continue;
                }
                opponent->visibleTiles = sight;
                const std::array<SearchBoard::Action, 2> pair = copy.Candidates(current);
                ASSERT_EQ(aitest::ActionTexts({copy.Live(pair[0]), copy.Live(pair[1])}), aitest::ActionTexts(opponent->CandidateActions(live)))
                    << "step " << step;
                const SearchBoard::Action& chosen = pair[rng() % 2];
                attacks += chosen.kind == Attack ? 1 : 0;
                created.push_back(opponent->TryAction(copy.Live(chosen)));
                copy.Apply(chosen);
            }
        }
    }
    // The paths reach complete turns and attacks often enough to test them.
    EXPECT_GT(scored, 300);
    EXPECT_GT(attacks, 20);
}

// A board the copy cannot stand for (here two pieces on one tile, which no map file makes) is
// searched on the live board, and the search still ends with the board as it found it.
TEST(SearchBoard, ABoardItCannotStandForIsSearchedLive)
{
    auto game = StartGame(TestDataPath("golden-crowded-small.txt"), new HPSController());
    TileMap& board = *game->board;
    Unit* castle = board.GetCastles().back();
    board.SpawnUnit(0, castle->GetTile(), castle->team);
    EXPECT_FALSE(SearchBoard::Fits(board));
    board.EndTurn();  // the opponent starts thinking
    const BoardState before = CaptureState(board);
    game->ai->FinishThinking();
    EXPECT_FALSE(game->ai->plan.empty());
    ExpectSameState(before, CaptureState(board));
}
