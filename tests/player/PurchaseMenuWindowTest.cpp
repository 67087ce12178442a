#include "input/Label.h"
#include "player/PurchaseMenu.h"
#include "support/WindowKit.h"

// window-shop.txt, 16 x 9 beige with a wall at (1,6):
//   ours:   castle C (2,6), Knight (2,5) above it, Mage (9,6) under where the menu opens
//   theirs: castle (14,7)
// C's free neighbours, in the order right, down, left, up: (3,6), (2,7); (1,6) is a wall and
// (2,5) is taken.
// The menu sits at screen (550,200), 500 x 600; the price button of type k at
// (850, 250 + 100k), 100 x 40; Exit at (650,650), 200 x 100.
namespace {
class PurchaseMenuTest : public kit::BoardWindow {
protected:
    PurchaseMenuTest() : BoardWindow("window-shop.txt") {}
    // The options refresh their buttons, and the gold label its text, in the update walk.
    void SetGold(int32_t gold)
    {
        player->gold = gold;
        Node::UpdateTree(board);
    }
    static void ClickPrice(int type) { kit::Click(900, 270 + 100 * type); }

    PurchaseMenu* menu = player->purchaseMenu;
    Unit* castle = At(2, 6);
};
}  // namespace

// A price too dear does nothing. Choosing a type closes the menu and highlights the castle's free
// neighbours; gold is taken on placement, not on choice, and a release elsewhere buys nothing and
// leaves the castle free to buy. (Opening, closing and buying once a turn are the end-to-end run's.)
TEST_F(PurchaseMenuTest, AnAffordableTypeIsBoughtOnAFreeNeighbour)
{
    SetGold(600);
    const size_t pieces = board->GetUnits().size();
    ClickTile(castle->GetTile());
    ClickPrice(2);
    EXPECT_TRUE(menu->visible) << "the Mage costs 700";
    for (Vector2 release : {Vector2{12, 8}, Vector2{2, 7}}) {
        ClickTile(castle->GetTile());
        ClickPrice(1);
        EXPECT_FALSE(menu->visible);
        EXPECT_EQ(Selection(), "Castle(2,6) (3,6) (2,7)");
        EXPECT_EQ(player->gold, 600);
        ClickTile(release);
        EXPECT_EQ(Selection(), "none");
    }
    EXPECT_EQ(board->GetUnits().size(), pieces + 1) << "one purchase, on (2,7)";
    EXPECT_EQ(PieceText(board->GetUnits().back()), "Archer(2,7)");
    Node::UpdateTree(board);
    EXPECT_EQ(player->goldLabel->text, "Gold: 0");
}

// The menu (z 5 under the side) is drawn over the pieces: its white panel covers our Mage. While it
// is hidden, neither the panel nor any of its children (the price buttons, Exit) is drawn; open, the
// prices show which can be paid (from its exact amount on, the end-to-end run's tutorial case checks).
TEST_F(PurchaseMenuTest, MenuIsDrawnAboveThePiecesAndNothingOfItWhileHidden)
{
    SetGold(600);
    {
        kit::Frame closed(game->root);
        Color mage = closed.At(950, 650);
        EXPECT_TRUE(mage.b >= 150 && mage.r <= 60) << "the Mage should show while the menu is closed: "
                                                   << kit::Rgb(mage);
        for (auto [x, y] : {std::pair{855, 255}, std::pair{855, 455}, std::pair{660, 660}}) {
            EXPECT_FALSE(closed.Is(x, y, GREEN) || closed.Is(x, y, DARKGREEN) || closed.Is(x, y, WHITE))
                << "a child of the hidden menu is drawn at (" << x << "," << y << "): " << kit::Rgb(closed.At(x, y));
        }
    }
    ClickTile(castle->GetTile());
    kit::Frame open(game->root);
    EXPECT_TRUE(open.Is(950, 650, WHITE)) << "panel over the Mage";
    EXPECT_TRUE(open.Is(855, 355, GREEN) && open.Is(855, 455, DARKGREEN)) << "the Archer's 600 paid, the Mage's 700 not";
}
