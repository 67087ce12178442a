#include "ai/AiFixtures.h"

using aitest::PieceAt;

namespace {
// The creation number the next piece will get: pieces made in between are counted by it.
uint64_t NextSerial()
{
    return Unit(nullptr, TypeInfo(0)).serial + 1;
}
}  // namespace

// Both searches try every action on the live board and take it back. Whatever they tried (kills,
// captures, purchases), the board must come out exactly as it went in, plus the turn's income, with
// the wear it had: a human unit one hit from death and an AI unit that moved but has not attacked.
TEST(Searches, LeaveTheBoardAsTheyFoundIt)
{
    struct Case {
        const char* map;
        bool hps;
        int32_t gold, income;
        int woundedX, woundedY, spentX, spentY;
    };
    const Case cases[] = {
        // ai-actions: two AI castles; the human Knight (1,1) and both human castles are in reach.
        {"ai-actions.txt", false, 1000, 200, 1, 1, 3, 1},
        // ai-generate: the castle's first candidate is the Mage buy; the Mage (2,0) keeps its attack step.
        {"ai-generate.txt", true, 700, 100, 6, 2, 2, 0},
        {"ai-generate.txt", false, 700, 100, 6, 2, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.map) + (c.hps ? " hps" : " minimax"));
        auto game = aitest::StartFixture(c.map, aitest::NewOpponent(c.hps));
        TileMap& board = *game->board;
        board.currentTeam = 1;
        game->ai->gold = c.gold;
        PieceAt(board, c.woundedX, c.woundedY)->health = 50;
        PieceAt(board, c.spentX, c.spentY)->hasMoved = true;
        BoardState expected = CaptureState(board);
        expected.gold[1] += c.income;
        const uint64_t serialBefore = NextSerial();
        game->ai->StartTurn();
        ASSERT_FALSE(game->ai->plan.empty());
        // The search tried purchases, and freed what it bought rather than piling it up among the fallen.
        EXPECT_GT(NextSerial(), serialBefore + 1) << "the search was meant to try a purchase";
        EXPECT_TRUE(board.removedUnits.empty()) << "pieces bought by the search stayed allocated";
        ExpectSameState(expected, CaptureState(board));
        EXPECT_TRUE(board.updateVisibility);
        EXPECT_TRUE(TilesAre(game->player->visibleTiles, expected.sight[0])) << "the human's sight changed";
    }
}
