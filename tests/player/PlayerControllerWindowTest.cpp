#include <set>

#include "input/Button.h"
#include "player/PurchaseMenu.h"
#include "support/WindowKit.h"

// window-player.txt, 16 x 9 beige tiles:
//   ours:    castle (2,7), Knight K (2,4), Mage M (9,6)
//   theirs:  Knight E (3,4), right of K; castle (14,7)
//   neutral: castle N (6,1)
// End Turn is on screen at (0,0)-(200,100).
namespace {
class PlayerClicks : public kit::BoardWindow {
protected:
    PlayerClicks() : BoardWindow("window-player.txt") { board->AddChild(sink); }

    Unit* knight = At(2, 4);
    Unit* enemy = At(3, 4);
    Unit* mage = At(9, 6);
    Unit* neutral = At(6, 1);
    kit::EventSink* sink = new kit::EventSink();
};
}  // namespace

// Enemy and neutral pieces select nothing. Attack targets are highlighted before the move tiles; a
// release on a move tile moves, a unit that moved next to a target shows only the attack, a release
// on it attacks and finishes the unit. Outside our turn nothing is selected.
TEST_F(PlayerClicks, SelectMoveAttack)
{
    const size_t before = board->history.size();
    for (Unit* unit : {enemy, neutral}) {
        ClickTile(unit->GetTile());
        EXPECT_EQ(Selection(), "none");
        EXPECT_FALSE(player->purchaseMenu->visible);
    }
    ClickTile(knight->GetTile());
    EXPECT_EQ(Selection(), "Knight(2,4) attack (3,4) " + TilesText(knight->GetReachableTiles()));
    ClickTile({3, 3});  // above the enemy: it stays in reach
    EXPECT_EQ(board->history.size(), before + 1) << "the move, and nothing before it";
    ClickTile(knight->GetTile());
    EXPECT_EQ(Selection(), "Knight(3,3) attack (3,4)");
    ClickTile(enemy->GetTile());
    EXPECT_EQ(enemy->health, 50);
    EXPECT_TRUE(knight->hasAttacked);
    ClickTile(knight->GetTile());
    EXPECT_EQ(Selection(), "none") << "a finished unit cannot be selected";
    player->canAct = false;
    ClickTile(mage->GetTile());
    EXPECT_EQ(Selection(), "none");
}

// While anything is highlighted every left release is the player's and only clears: the piece under
// the mouse took the press and keeps it, the End Turn button too, and nothing is done. Right clicks
// and the scroll keys leave the selection.
TEST_F(PlayerClicks, ReleasesElsewhereWhileHighlightedOnlyClear)
{
    ClickTile(knight->GetTile());
    const std::string selected = Selection();
    const size_t before = board->history.size();
    SetMousePosition(C(12), C(8));
    for (int32_t code : {MouseRight, KeyW, KeyA, KeyS, KeyD}) {
        Send(code);
        Send(code, false);
    }
    EXPECT_EQ(Selection(), selected);
    EXPECT_TRUE(sink->Saw(MouseRight, false));
    ClickTile(neutral->GetTile());
    EXPECT_EQ(Selection(), "none");
    EXPECT_TRUE(neutral->pressed) << "the release never reached the castle";
    EXPECT_FALSE(sink->Saw(MouseLeft, false)) << "the release was consumed";
    ClickTile(mage->GetTile());
    kit::Click(100, 50);
    EXPECT_EQ(Selection(), "none");
    EXPECT_TRUE(player->endTurnButton->pressed) << "the button took the press, the player the release";
    EXPECT_EQ(board->history.size(), before) << "nothing was done";
    kit::Click(100, 50);
    EXPECT_EQ(board->history.size(), before + 2) << "a second click ends the turn";
}

// Against the passive opponent End Turn records two ends of turn (ours, then its own). The first Z
// takes back the opponent's: the board is in its turn again, before our income; the second takes
// back ours. Nothing else moves, Z passes on and leaves the selection, and the next End Turn plays
// on from there.
TEST_F(PlayerClicks, ZAfterEndTurnTakesBackTheTurnEndsOneByOne)
{
    const BoardState start = CaptureState(*board);
    const size_t history = board->history.size();
    const int32_t gold = player->gold;
    kit::Click(100, 50);
    ASSERT_EQ(board->history.size(), history + 2);
    ASSERT_EQ(board->currentTeam, 0) << "the passive opponent hands the turn straight back";
    ASSERT_EQ(player->gold, gold + 100) << "income for our one castle";
    ClickTile(mage->GetTile());
    const std::string selected = Selection();
    Send(KeyZ);
    EXPECT_EQ(board->history.size(), history + 1);
    EXPECT_EQ(board->currentTeam, 1) << "the opponent's turn again";
    EXPECT_EQ(player->gold, gold) << "our income is taken back";
    EXPECT_TRUE(player->canAct) << "undo leaves canAct as it was";
    EXPECT_EQ(Selection(), selected);
    EXPECT_TRUE(sink->Saw(KeyZ, true)) << "Z is not consumed";
    Send(KeyZ);
    BoardState undone = CaptureState(*board);
    undone.children = start.children;  // a restore puts the pieces behind the test's event sink
    ExpectSameState(start, undone, true);
    ClickTile({12, 8});  // clears the selection
    kit::Click(100, 50);
    EXPECT_EQ(board->currentTeam, 0);
    EXPECT_EQ(board->history.size(), history + 2);
    EXPECT_EQ(player->gold, gold + 100);
}

// Z leaves the selection, but what it offers comes from the restored board: a tile the undo filled
// again is no longer offered, and a piece the undo took away offers nothing. No click after an undo
// puts two pieces on one tile.
TEST_F(PlayerClicks, UndoOffersWhatTheRestoredBoardOffers)
{
    const auto sharedTile = [this] {
        std::set<std::string> tiles;
        for (const Unit* unit : board->Units()) {
            if (!tiles.insert(TileText(unit->GetTile())).second) {
                return TileText(unit->GetTile());
            }
        }
        return std::string();
    };
    player->gold = 1000;
    board->BuyUnit(At(2, 7), 0, Tile(2, 6));
    Unit* bought = At(2, 6);
    kit::Click(100, 50);  // the passive opponent hands the turn straight back: the bought Knight may act
    ClickTile(knight->GetTile());
    ClickTile({1, 4});
    ClickTile(bought->GetTile());
    ASSERT_NE(Selection().find(" (2,4)"), std::string::npos) << "the Knight's old tile is offered: " << Selection();
    Send(KeyZ);
    ASSERT_EQ(knight->GetTile().x, 2.0f) << "the move is taken back";
    EXPECT_EQ(Selection(), "Knight(2,6) " + TilesText(bought->GetReachableTiles()));
    const size_t history = board->history.size();
    ClickTile({2, 4});
    EXPECT_EQ(board->history.size(), history) << "a release on the refilled tile did nothing";
    EXPECT_EQ(sharedTile(), "") << "two pieces share a tile";

    ClickTile({12, 8});  // the Knight under the last release kept its press: this release ends it
    ClickTile(bought->GetTile());
    const std::string offered = Selection();
    for (int undo = 0; undo < 3; ++undo) {
        Send(KeyZ);  // the opponent's end of turn, ours, then the purchase
    }
    ASSERT_EQ(bought->parent, nullptr) << "the purchase is taken back";
    EXPECT_EQ(Selection(), "Knight(2,6)") << "was " << offered;
    ClickTile({2, 5});
    EXPECT_EQ(board->history.size(), history - 3) << "a piece off the board does nothing";
    EXPECT_EQ(sharedTile(), "");
}
