#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "board/TileMap.h"
#include "board/Unit.h"
#include "input/Button.h"
#include "input/CameraNode.h"
#include "input/Label.h"
#include "input/WindowTestKit.h"
#include "rules/PlayerController.h"
#include "rules/PurchaseMenu.h"
#include "support/TestGame.h"

using kit::Click;

// window-shop.txt, 16 x 9 beige with a wall at (1,6); camera at (0,0):
//   ours:   castle C (2,6), Knight (2,5) above it, Mage (9,6) under where the menu opens
//   theirs: castle (14,7)
// C's free neighbours, in the order right, down, left, up: (3,6), (2,7); (1,6) is a wall and
// (2,5) is taken.
// The menu sits at screen (550,200), 500 x 600; the price button of type k at
// (850, 250 + 100k), 100 x 40; Exit at (650,650), 200 x 100.
namespace {
int Cx(float tileX)
{
    return static_cast<int>(tileX) * 100 + 50;
}
int Cy(float tileY)
{
    return static_cast<int>(tileY) * 100 + 50;
}

class PurchaseMenuTest : public kit::WindowTest {
protected:
    void SetUp() override
    {
        kit::WindowTest::SetUp();
        game = StartGame(TestDataPath("window-shop.txt"));
        board = game->board;
        player = game->player;
        menu = player->purchaseMenu;
        castle = board->GetUnitAt({2, 6});
        ASSERT_NE(castle, nullptr);
        ASSERT_FALSE(board->gameOver);
    }
    void TearDown() override
    {
        game.reset();
        kit::WindowTest::TearDown();
    }
    // The options refresh their buttons in the update walk.
    void SetGold(int32_t gold)
    {
        player->gold = gold;
        Node::UpdateTree(board);
    }
    Button* PriceButton(int type) const
    {
        for (Node* child : menu->children) {
            auto* option = dynamic_cast<UnitMenuOption*>(child);
            if (option != nullptr && option->unitType == type) {
                return option->button;
            }
        }
        ADD_FAILURE() << "no option for type " << type;
        return nullptr;
    }
    void ClickPrice(int type) { Click(900, 270 + 100 * type); }
    void Scroll(Vector2 to)
    {
        board->camera->position = to;
        board->camera->Update();  // nothing held: only the offset follows
    }

    std::unique_ptr<TestGame> game;
    TileMap* board = nullptr;
    PlayerController* player = nullptr;
    PurchaseMenu* menu = nullptr;
    Unit* castle = nullptr;
};

struct GoldCase {
    int32_t gold;
    bool knight, archer, mage;
};
class PriceButtons : public PurchaseMenuTest, public testing::WithParamInterface<GoldCase> {};
}  // namespace

// Prices 400, 600, 700: exactly the price is enough, one gold less is not.
INSTANTIATE_TEST_SUITE_P(Gold, PriceButtons,
                         testing::Values(GoldCase{399, false, false, false}, GoldCase{400, true, false, false},
                                         GoldCase{599, true, false, false}, GoldCase{600, true, true, false},
                                         GoldCase{699, true, true, false}, GoldCase{700, true, true, true}),
                         [](const testing::TestParamInfo<GoldCase>& info) {
                             return "Gold" + std::to_string(info.param.gold);
                         });

TEST_P(PriceButtons, EnabledExactlyWhenAffordable)
{
    const GoldCase& c = GetParam();
    SetGold(c.gold);
    EXPECT_EQ(!PriceButton(0)->disabled, c.knight) << "Knight at " << c.gold << " gold";
    EXPECT_EQ(!PriceButton(1)->disabled, c.archer) << "Archer at " << c.gold << " gold";
    EXPECT_EQ(!PriceButton(2)->disabled, c.mage) << "Mage at " << c.gold << " gold";
}

TEST_F(PurchaseMenuTest, WithExactly400GoldOnlyTheKnightCanBeChosen)
{
    SetGold(400);
    Click(Cx(2), Cy(6));
    ASSERT_TRUE(menu->visible);
    kit::Frame frame(game->root);
    EXPECT_TRUE(kit::Near(frame.At(855, 255), GREEN, 0)) << "Knight price " << kit::Rgb(frame.At(855, 255));
    EXPECT_TRUE(kit::Near(frame.At(855, 355), DARKGREEN, 0)) << "Archer price " << kit::Rgb(frame.At(855, 355));
    EXPECT_TRUE(kit::Near(frame.At(855, 455), DARKGREEN, 0)) << "Mage price " << kit::Rgb(frame.At(855, 455));

    ClickPrice(1);  // disabled: ignored, the menu stays open
    EXPECT_TRUE(menu->visible);
    EXPECT_TRUE(player->highlights.empty());
}

TEST_F(PurchaseMenuTest, SelectingTheCastleOpensTheMenuInsteadOfTheTurnButtons)
{
    Click(Cx(2), Cy(6));
    EXPECT_EQ(player->selectedUnit, castle);
    EXPECT_TRUE(menu->visible);
    EXPECT_FALSE(player->endTurnButton->visible);
    EXPECT_FALSE(player->forfeitButton->visible);
    EXPECT_TRUE(player->highlights.empty()) << "nothing is highlighted before a type is chosen";
}

TEST_F(PurchaseMenuTest, ChoosingThenReleasingOutsideTheHighlightsBuysNothing)
{
    SetGold(400);
    size_t pieces = board->GetUnits().size();
    Click(Cx(2), Cy(6));
    ClickPrice(0);
    EXPECT_FALSE(menu->visible);
    EXPECT_TRUE(player->endTurnButton->visible);
    EXPECT_EQ(player->purchaseType, 0);
    ASSERT_EQ(player->highlights.size(), 2u);
    EXPECT_TRUE(SameTile(player->highlights[0].tile, {3, 6}));
    EXPECT_TRUE(SameTile(player->highlights[1].tile, {2, 7}));
    EXPECT_FALSE(player->highlights[0].isAttack);
    EXPECT_EQ(player->gold, 400) << "gold is taken on placement, not on choice";

    Click(Cx(12), Cy(8));
    EXPECT_EQ(player->gold, 400);
    EXPECT_EQ(board->GetUnits().size(), pieces);
    EXPECT_TRUE(player->highlights.empty());
    EXPECT_EQ(player->selectedUnit, nullptr);
    EXPECT_FALSE(castle->hasAttacked) << "the castle can still buy";
}

TEST_F(PurchaseMenuTest, ReleaseOnAHighlightedTileBuysThereAndFinishesTheCastle)
{
    SetGold(400);
    size_t history = board->history.size();
    Click(Cx(2), Cy(6));
    ClickPrice(0);
    Click(Cx(2), Cy(7));

    EXPECT_EQ(player->gold, 0);
    EXPECT_EQ(board->history.size(), history + 1);
    Unit* bought = board->GetUnitAt({2, 7});
    ASSERT_NE(bought, nullptr) << "no unit at (2,7)";
    EXPECT_EQ(bought->type, 0);
    EXPECT_EQ(bought->team, player);
    EXPECT_EQ(board->GetUnits().back(), bought) << "a bought piece is the board's last";
    EXPECT_TRUE(bought->hasMoved && bought->hasAttacked) << "it waits for the next turn";
    EXPECT_TRUE(castle->hasAttacked);
    Node::UpdateTree(board);
    EXPECT_EQ(player->goldLabel->text, "Gold: 0");

    // Finished for the turn: selecting it again opens nothing.
    player->SelectUnit(castle);
    EXPECT_FALSE(menu->visible);
    EXPECT_EQ(player->selectedUnit, nullptr);
    Click(Cx(2), Cy(6));
    EXPECT_FALSE(menu->visible);
    EXPECT_TRUE(player->endTurnButton->visible);

    // Drawn dimmed until the turn ends, unlike the fresh Knight at (2,5).
    kit::Frame frame(game->root);
    Color fresh = frame.At(Cx(2), Cy(5));
    Color waiting = frame.At(Cx(2), Cy(7));
    EXPECT_LT(waiting.b, fresh.b * 0.75) << "fresh " << kit::Rgb(fresh) << ", bought " << kit::Rgb(waiting);
}

TEST_F(PurchaseMenuTest, ExitClosesTheMenuAndHighlightsNothing)
{
    Click(Cx(2), Cy(6));
    Click(750, 700);
    EXPECT_FALSE(menu->visible);
    EXPECT_TRUE(player->endTurnButton->visible);
    EXPECT_TRUE(player->forfeitButton->visible);
    EXPECT_TRUE(player->highlights.empty());
    EXPECT_EQ(player->selectedUnit, castle) << "the castle stays selected, without effect";
}

TEST_F(PurchaseMenuTest, ChoiceWithoutASelectedCastleOnlyClears)
{
    Unit* knight = board->GetUnitAt({2, 5});
    Click(Cx(2), Cy(5));
    ASSERT_EQ(player->selectedUnit, knight);
    menu->Receive(0);
    EXPECT_EQ(player->selectedUnit, nullptr);
    EXPECT_TRUE(player->highlights.empty());
    EXPECT_FALSE(menu->visible);
}

// The menu (z 5 under the side) is drawn over the pieces: its white panel covers our Mage.
TEST_F(PurchaseMenuTest, MenuIsDrawnAboveThePieces)
{
    EXPECT_EQ(menu->z, 5);
    Color closed;
    {
        kit::Frame frame(game->root);
        closed = frame.At(950, 650);
    }
    ASSERT_TRUE(closed.b >= 150 && closed.r <= 60) << "the Mage should show while the menu is closed: "
                                                   << kit::Rgb(closed);
    Click(Cx(2), Cy(6));
    kit::Frame frame(game->root);
    EXPECT_TRUE(kit::Near(frame.At(950, 650), WHITE, 0)) << "panel over the Mage " << kit::Rgb(frame.At(950, 650));
}

namespace {
class MenuScroll : public PurchaseMenuTest, public testing::WithParamInterface<Vector2> {};
}  // namespace

INSTANTIATE_TEST_SUITE_P(Cameras, MenuScroll, testing::Values(Vector2{0, 0}, Vector2{300, 150}, Vector2{-80, 40}),
                         [](const testing::TestParamInfo<Vector2>& info) {
                             return "Camera" + std::to_string(info.index);
                         });

TEST_P(MenuScroll, StaysAtTheSameScreenPlaceAndIsHitThere)
{
    SetGold(400);
    player->SelectUnit(castle);
    ASSERT_TRUE(menu->visible);
    Scroll(GetParam());
    {
        kit::Frame frame(game->root);
        EXPECT_TRUE(kit::Near(frame.At(1030, 780), WHITE, 0)) << "panel corner " << kit::Rgb(frame.At(1030, 780));
        EXPECT_TRUE(kit::Near(frame.At(560, 790), WHITE, 0)) << "panel corner " << kit::Rgb(frame.At(560, 790));
        EXPECT_FALSE(kit::Near(frame.At(1060, 780), WHITE, 0)) << "right of the panel";
        EXPECT_TRUE(kit::Near(frame.At(855, 255), GREEN, 0)) << "Knight price " << kit::Rgb(frame.At(855, 255));
    }
    ClickPrice(0);
    EXPECT_FALSE(menu->visible);
    EXPECT_EQ(player->highlights.size(), 2u);
}
