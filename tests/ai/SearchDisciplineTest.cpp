#include "ai/AiFixtures.h"

using aitest::PieceAt;

// Both searches try every action on the live board and take it back. Whatever they tried (kills,
// captures, purchases), the board must come out exactly as it went in, plus the turn's income.
namespace {
using rows::PrintTo;

struct SearchCase {
    const char* name;
    const char* map;
    bool hps;
    int32_t gold;    // the AI's gold before its income
    int32_t income;  // 100 per AI castle
    int woundedX, woundedY;  // a human unit left one hit from death
    int spentX, spentY;      // an AI unit that has moved but not attacked
};

// The creation number the next piece will get: pieces made in between are counted by it.
uint64_t NextSerial()
{
    return Unit(nullptr, TypeInfo(0)).serial + 1;
}

class SearchLeavesTheBoard : public testing::TestWithParam<SearchCase> {};
}  // namespace

TEST_P(SearchLeavesTheBoard, AsItFoundIt)
{
    const SearchCase& c = GetParam();
    auto game = aitest::StartFixture(c.map, c.hps ? static_cast<AIController*>(new HPSController())
                                                  : static_cast<AIController*>(new MinimaxController()));
    TileMap& board = *game->board;
    board.currentTeam = 1;
    game->ai->gold = c.gold;
    // Some wear the search must keep.
    PieceAt(board, c.woundedX, c.woundedY)->health = 50;
    PieceAt(board, c.spentX, c.spentY)->hasMoved = true;

    BoardState expected = CaptureState(board);
    expected.gold[1] += c.income;
    const size_t fallen = board.removedUnits.size();
    const uint64_t serialBefore = NextSerial();

    game->ai->StartTurn();
    game->ai->FinishThinking();

    ASSERT_TRUE(game->ai->executingPlan);
    ASSERT_FALSE(game->ai->plan.empty());
    // Pieces were created (the search tried purchases), and the ones it bought were
    // freed again rather than piling up among the fallen for the rest of the game.
    EXPECT_GT(NextSerial(), serialBefore + 1) << "the search was meant to try a purchase";
    EXPECT_EQ(board.removedUnits.size(), fallen) << "pieces bought by the search stayed allocated";
    ExpectSameState(expected, CaptureState(board));
    EXPECT_TRUE(board.updateVisibility);
    EXPECT_TRUE(TilesAre(game->player->visibleTiles, expected.sight[0])) << "the human's sight changed";
    if (!c.hps) {
        // The last restores run with vision on: the AI sees what it saw before.
        EXPECT_TRUE(TilesAre(game->ai->visibleTiles, expected.sight[1])) << "the AI's sight changed";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Searches, SearchLeavesTheBoard,
    testing::Values(
        // ai-actions: two AI castles; the human Knight (1,1) and both human castles are in reach.
        SearchCase{"MinimaxWithKillsCapturesAndPurchases", "ai-actions.txt", false, 1000, 200, 1, 1, 3, 1},
        // ai-generate: one AI castle, whose first candidate is always the Mage buy; the human Knight (6,2)
        // and Mage (1,2) are in reach, and the Mage (2,0) is left with its attack step.
        SearchCase{"HpsWithKillsAndPurchases", "ai-generate.txt", true, 700, 100, 6, 2, 2, 0},
        SearchCase{"MinimaxWithKillsAndPurchases", "ai-generate.txt", false, 700, 100, 6, 2, 2, 0}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });
