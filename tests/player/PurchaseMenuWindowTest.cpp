#include "input/Button.h"
#include "input/CameraNode.h"
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
    // The options refresh their buttons in the update walk.
    void SetGold(int32_t gold)
    {
        player->gold = gold;
        Node::UpdateTree(board);
    }
    bool PriceEnabled(int type) const
    {
        for (Node* child : menu->children) {
            auto* option = dynamic_cast<UnitMenuOption*>(child);
            if (option != nullptr && option->unitType == type) {
                return !option->button->disabled;
            }
        }
        ADD_FAILURE() << "no option for type " << type;
        return false;
    }
    static void ClickPrice(int type) { kit::Click(900, 270 + 100 * type); }
    // Opens the menu, chooses the Knight and expects the castle's two free neighbours highlighted.
    void ChooseKnight()
    {
        ClickTile(castle->GetTile());
        ClickPrice(0);
        EXPECT_FALSE(menu->visible);
        EXPECT_TRUE(player->endTurnButton->visible);
        EXPECT_EQ(player->purchaseType, 0);
        EXPECT_EQ(Selection(), "Castle(2,6) (3,6) (2,7)");
    }

    PurchaseMenu* menu = player->purchaseMenu;
    Unit* castle = At(2, 6);
};

// Prices 400, 600, 700 (the exact thresholds are the opponents' AffordableUnitTypes test's).
TEST_F(PurchaseMenuTest, SelectingTheCastleOpensTheMenuWhereOnlyAffordableTypesCanBeChosen)
{
    SetGold(600);
    EXPECT_TRUE(PriceEnabled(0) && PriceEnabled(1));
    EXPECT_FALSE(PriceEnabled(2)) << "a Mage at 600 gold";
    SetGold(400);
    EXPECT_FALSE(PriceEnabled(1)) << "the buttons follow the gold in the update walk";
    ClickTile(castle->GetTile());
    ASSERT_TRUE(menu->visible);
    EXPECT_FALSE(player->endTurnButton->visible);
    EXPECT_FALSE(player->forfeitButton->visible);
    EXPECT_EQ(Selection(), "Castle(2,6)") << "nothing is highlighted before a type is chosen";
    ClickPrice(1);  // disabled: ignored, the menu stays open
    EXPECT_TRUE(menu->visible);
    EXPECT_EQ(Selection(), "Castle(2,6)");
}

TEST_F(PurchaseMenuTest, ReleaseOutsideTheHighlightsBuysNothingAndOnOneBuysThereAndFinishesTheCastle)
{
    SetGold(400);
    size_t history = board->history.size();
    size_t pieces = board->GetUnits().size();
    ChooseKnight();
    EXPECT_EQ(player->gold, 400) << "gold is taken on placement, not on choice";
    ClickTile({12, 8});
    EXPECT_EQ(player->gold, 400);
    EXPECT_EQ(board->GetUnits().size(), pieces);
    EXPECT_EQ(Selection(), "none");
    EXPECT_FALSE(castle->hasAttacked) << "the castle can still buy";

    ChooseKnight();
    ClickTile({2, 7});

    EXPECT_EQ(player->gold, 0);
    EXPECT_EQ(board->history.size(), history + 1);
    Unit* bought = At(2, 7);
    ASSERT_NE(bought, nullptr);
    EXPECT_EQ(bought->type, 0);
    EXPECT_EQ(bought->team, player);
    Node::UpdateTree(board);
    EXPECT_EQ(player->goldLabel->text, "Gold: 0");

    // Finished for the turn: selecting it again opens nothing.
    ClickTile(castle->GetTile());
    EXPECT_EQ(Selection(), "none");
    EXPECT_FALSE(menu->visible);
    EXPECT_TRUE(player->endTurnButton->visible);
}

TEST_F(PurchaseMenuTest, ExitClosesTheMenuAndHighlightsNothing)
{
    ClickTile(castle->GetTile());
    kit::Click(750, 700);
    EXPECT_FALSE(menu->visible);
    EXPECT_TRUE(player->endTurnButton->visible);
    EXPECT_TRUE(player->forfeitButton->visible);
    EXPECT_EQ(Selection(), "Castle(2,6)") << "the castle stays selected, without effect";
}


// The menu (z 5 under the side) is drawn over the pieces: its white panel covers our Mage. While it
// is hidden, neither the panel nor any of its children (the price buttons, Exit) is drawn.
TEST_F(PurchaseMenuTest, MenuIsDrawnAboveThePiecesAndNothingOfItWhileHidden)
{
    SetGold(400);
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
    EXPECT_TRUE(open.Is(855, 255, GREEN)) << "the Knight's price, affordable";
    EXPECT_TRUE(open.Is(855, 455, DARKGREEN)) << "the Mage's price, too dear";
}

class MenuScroll : public PurchaseMenuTest, public testing::WithParamInterface<Vector2> {};

INSTANTIATE_TEST_SUITE_P(Cameras, MenuScroll, testing::Values(Vector2{300, 150}, Vector2{-80, 40}));

TEST_P(MenuScroll, StaysAtTheSameScreenPlaceAndIsHitThere)
{
    SetGold(400);
    player->SelectUnit(castle);
    ASSERT_TRUE(menu->visible);
    board->camera->position = GetParam();
    board->camera->Update();  // nothing held: only the offset follows
    {
        kit::Frame frame(game->root);
        EXPECT_TRUE(frame.Is(1030, 780, WHITE)) << "panel corner";
        EXPECT_TRUE(frame.Is(560, 790, WHITE)) << "panel corner";
        EXPECT_FALSE(frame.Is(1060, 780, WHITE)) << "right of the panel";
        EXPECT_TRUE(frame.Is(855, 255, GREEN)) << "Knight price";
    }
    ClickPrice(0);
    EXPECT_FALSE(menu->visible);
    EXPECT_EQ(Selection(), "Castle(2,6) (3,6) (2,7)");
}
}  // namespace
