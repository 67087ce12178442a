#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/TileType.h"
#include "board/Unit.h"
#include "input/Button.h"
#include "input/CameraNode.h"
#include "input/WindowTestKit.h"
#include "rules/PlayerController.h"
#include "rules/PurchaseMenu.h"
#include "support/TestGame.h"

using kit::Click;
using kit::Press;
using kit::Release;

// window-player.txt, 16 x 9 beige tiles, camera at (0,0) so tile (x,y) is on screen at 100x, 100y:
//   ours:    castle (2,7), Knight K (2,4), Mage M (9,6)
//   theirs:  Knight E (3,4), right of K; castle (14,7)
//   neutral: castle N (6,1)
// End Turn is on screen at (0,0)-(200,100).
namespace {
int Cx(float tileX)
{
    return static_cast<int>(tileX) * 100 + 50;
}
int Cy(float tileY)
{
    return static_cast<int>(tileY) * 100 + 50;
}

std::string Tile(Vector2 t)
{
    return "(" + std::to_string(static_cast<int>(t.x)) + "," + std::to_string(static_cast<int>(t.y)) + ")";
}

class PlayerClicks : public kit::WindowTest {
protected:
    void SetUp() override
    {
        kit::WindowTest::SetUp();
        game = StartGame(TestDataPath("window-player.txt"));
        board = game->board;
        player = game->player;
        ASSERT_FALSE(board->gameOver);
        ASSERT_EQ(board->currentTeam, 0);
        knight = board->GetUnitAt({2, 4});
        enemy = board->GetUnitAt({3, 4});
        mage = board->GetUnitAt({9, 6});
        neutral = board->GetUnitAt({6, 1});
        ASSERT_TRUE(knight && enemy && mage && neutral);
        sink = new kit::EventSink();
        board->AddChild(sink);
    }
    void TearDown() override
    {
        game.reset();
        kit::WindowTest::TearDown();
    }
    void ClickTile(float x, float y) { Click(Cx(x), Cy(y)); }
    void ClickUnit(Unit* unit) { ClickTile(unit->GetTile().x, unit->GetTile().y); }

    std::unique_ptr<TestGame> game;
    TileMap* board = nullptr;
    PlayerController* player = nullptr;
    Unit* knight = nullptr;
    Unit* enemy = nullptr;
    Unit* mage = nullptr;
    Unit* neutral = nullptr;
    kit::EventSink* sink = nullptr;
};

bool Has(const std::vector<TileHighlight>& highlights, Vector2 tile, bool isAttack)
{
    for (const TileHighlight& h : highlights) {
        if (SameTile(h.tile, tile) && h.isAttack == isAttack) {
            return true;
        }
    }
    return false;
}
}  // namespace

TEST_F(PlayerClicks, ClickingOwnUnitHighlightsAttackTargetsBeforeMoveTiles)
{
    ClickUnit(knight);
    ASSERT_EQ(player->selectedUnit, knight);
    ASSERT_GE(player->highlights.size(), 2u);
    EXPECT_TRUE(player->highlights[0].isAttack);
    EXPECT_TRUE(SameTile(player->highlights[0].tile, {3, 4})) << "first highlight " << Tile(player->highlights[0].tile);
    std::vector<Vector2> reachable = knight->GetReachableTiles();
    ASSERT_EQ(player->highlights.size(), 1 + reachable.size()) << "one target, then every reachable tile";
    for (size_t i = 0; i < reachable.size(); ++i) {
        const TileHighlight& h = player->highlights[i + 1];
        EXPECT_FALSE(h.isAttack) << "entry " << i + 1 << " at " << Tile(h.tile);
        EXPECT_TRUE(SameTile(h.tile, reachable[i])) << "entry " << i + 1 << ": " << Tile(h.tile) << " vs "
                                                    << Tile(reachable[i]);
    }
    EXPECT_TRUE(Has(player->highlights, {2, 5}, false));
    EXPECT_FALSE(Has(player->highlights, {3, 4}, false)) << "the enemy's tile is no move tile";
}

TEST_F(PlayerClicks, HighlightsAreDrawnTranslucentOverTheTiles)
{
    ClickUnit(knight);
    kit::Frame frame(game->root);
    const Color beige = tileTypeTable[0].color;
    Color move = frame.At(Cx(2), Cy(5));
    Color expectedMove = kit::Over({55, 55, 150, 100}, beige);
    EXPECT_TRUE(kit::Near(move, expectedMove)) << "move tile (2,5) " << kit::Rgb(move) << ", expected "
                                               << kit::Rgb(expectedMove);
    // A corner of the enemy's tile where the Knight image is transparent.
    Color attack = frame.At(310, 403);
    Color expectedAttack = kit::Over({240, 55, 55, 100}, beige);
    EXPECT_TRUE(kit::Near(attack, expectedAttack)) << "attack tile (3,4) " << kit::Rgb(attack) << ", expected "
                                                   << kit::Rgb(expectedAttack);
    Color unhighlighted = frame.At(Cx(8), Cy(4));  // 6 steps from K: out of its reach
    EXPECT_TRUE(kit::Near(unhighlighted, beige, 0)) << "tile (8,4) " << kit::Rgb(unhighlighted);
}

TEST_F(PlayerClicks, ReleaseOnAHighlightedTileMovesAndAMovedUnitWithATargetShowsOnlyAttacks)
{
    ClickUnit(knight);
    size_t before = board->history.size();
    ClickTile(3, 3);  // above the enemy: it stays in reach
    EXPECT_TRUE(SameTile(knight->GetTile(), {3, 3})) << "knight at " << Tile(knight->GetTile());
    EXPECT_TRUE(knight->hasMoved);
    EXPECT_FALSE(knight->hasAttacked) << "a target is in reach after the move";
    EXPECT_EQ(board->history.size(), before + 1) << "the move is recorded";
    EXPECT_EQ(player->selectedUnit, nullptr);
    EXPECT_TRUE(player->highlights.empty());

    ClickUnit(knight);
    ASSERT_EQ(player->selectedUnit, knight);
    ASSERT_EQ(player->highlights.size(), 1u) << "no move tiles after the move";
    EXPECT_TRUE(player->highlights[0].isAttack);
    EXPECT_TRUE(SameTile(player->highlights[0].tile, {3, 4}));
}

TEST_F(PlayerClicks, ReleaseOnAnAttackTileAttacksAndFinishesTheUnit)
{
    ClickUnit(knight);
    ClickUnit(enemy);
    EXPECT_EQ(enemy->health, 50);
    EXPECT_TRUE(knight->hasAttacked);
    EXPECT_FALSE(knight->hasMoved) << "an attack does not count as a move";
    EXPECT_TRUE(player->highlights.empty());

    ClickUnit(knight);
    EXPECT_EQ(player->selectedUnit, nullptr) << "a finished unit cannot be selected";
    EXPECT_TRUE(player->highlights.empty());
}

// While anything is highlighted, every left release is the player's: the piece under the
// mouse took the press and keeps its pressed state.
TEST_F(PlayerClicks, ReleaseElsewhereWhileHighlightedIsConsumedAndOnlyClears)
{
    ClickUnit(knight);
    ASSERT_FALSE(player->highlights.empty());
    size_t before = board->history.size();
    Press(Cx(6), Cy(1));
    EXPECT_TRUE(neutral->pressed) << "presses go through to the pieces";
    Release(Cx(6), Cy(1));
    EXPECT_EQ(player->selectedUnit, nullptr);
    EXPECT_TRUE(player->highlights.empty());
    EXPECT_TRUE(neutral->pressed) << "the release never reached the castle";
    EXPECT_FALSE(sink->Saw(MouseLeft, false));
    EXPECT_EQ(board->history.size(), before) << "nothing was done";
    EXPECT_TRUE(SameTile(knight->GetTile(), {2, 4}));
}

TEST_F(PlayerClicks, ReleaseOnAnEmptyUnhighlightedTileDoesNothingButClear)
{
    ClickUnit(knight);
    ClickTile(12, 8);  // 14 steps away
    EXPECT_TRUE(SameTile(knight->GetTile(), {2, 4}));
    EXPECT_FALSE(knight->hasMoved);
    EXPECT_EQ(player->selectedUnit, nullptr);
    EXPECT_TRUE(player->highlights.empty());
    EXPECT_TRUE(sink->Saw(MouseLeft, true)) << "the press on empty ground reached the end of the walk";
    EXPECT_FALSE(sink->Saw(MouseLeft, false)) << "the release was consumed";
}

TEST_F(PlayerClicks, RightClicksAndScrollKeysLeaveTheSelection)
{
    ClickUnit(knight);
    size_t count = player->highlights.size();
    SetMousePosition(Cx(12), Cy(8));
    InputManager::Instance().Dispatch({MouseRight, true});
    InputManager::Instance().Dispatch({MouseRight, false});
    for (int32_t code : {KeyW, KeyA, KeyS, KeyD}) {
        InputManager::Instance().Dispatch({code, true});
        InputManager::Instance().Dispatch({code, false});
    }
    EXPECT_EQ(player->selectedUnit, knight);
    EXPECT_EQ(player->highlights.size(), count);
    EXPECT_TRUE(sink->Saw(MouseRight, false));
}

// The Mage's highlights lie far from the tiles under the End Turn button (a release there
// over a highlighted tile would be a move, since the board reads the tile under the mouse).
TEST_F(PlayerClicks, EndTurnWhileHighlightedOnlyClearsAndASecondClickEndsTheTurn)
{
    ClickUnit(mage);
    ASSERT_FALSE(player->highlights.empty());
    size_t before = board->history.size();
    int aiGold = game->ai->gold;
    int ourGold = player->gold;

    Click(100, 50);
    EXPECT_EQ(player->selectedUnit, nullptr);
    EXPECT_TRUE(player->highlights.empty());
    EXPECT_EQ(board->history.size(), before) << "the turn must not end yet";
    EXPECT_TRUE(player->canAct);
    EXPECT_TRUE(player->endTurnButton->pressed) << "the button took the press, the player the release";

    Click(100, 50);
    EXPECT_FALSE(player->endTurnButton->pressed);
    // Our end of turn and the passive opponent's: two entries, one income each (one castle each).
    EXPECT_EQ(board->history.size(), before + 2);
    EXPECT_EQ(game->ai->gold, aiGold + 100);
    EXPECT_EQ(player->gold, ourGold + 100);
    EXPECT_EQ(board->currentTeam, 0) << "the passive opponent hands the turn straight back";
    EXPECT_TRUE(player->canAct);
    EXPECT_TRUE(player->endTurnButton->visible);
}

TEST_F(PlayerClicks, ZRestoresTheLastSnapshotLeavesTheSelectionAndPassesOn)
{
    ClickUnit(knight);
    ClickTile(2, 6);  // nothing in reach there: the knight is finished
    ASSERT_TRUE(SameTile(knight->GetTile(), {2, 6}));
    ASSERT_TRUE(knight->hasAttacked);
    size_t afterMove = board->history.size();

    ClickUnit(mage);
    ASSERT_EQ(player->selectedUnit, mage);
    size_t mageHighlights = player->highlights.size();
    ASSERT_GT(mageHighlights, 0u);

    sink->seen.clear();
    InputManager::Instance().Dispatch({KeyZ, true});
    EXPECT_TRUE(SameTile(knight->GetTile(), {2, 4})) << "knight at " << Tile(knight->GetTile());
    EXPECT_FALSE(knight->hasMoved);
    EXPECT_FALSE(knight->hasAttacked);
    EXPECT_EQ(board->history.size(), afterMove - 1) << "the restored entry is dropped";
    EXPECT_EQ(player->selectedUnit, mage) << "undo leaves the selection";
    EXPECT_EQ(player->highlights.size(), mageHighlights);
    EXPECT_TRUE(sink->Saw(KeyZ, true)) << "Z is not consumed";
}

TEST_F(PlayerClicks, ClicksOnEnemyOrNeutralPiecesDoNothingWhenNothingIsHighlighted)
{
    size_t before = board->history.size();
    for (Unit* unit : {enemy, neutral}) {
        ClickUnit(unit);
        EXPECT_EQ(player->selectedUnit, nullptr) << "after clicking " << Tile(unit->GetTile());
        EXPECT_TRUE(player->highlights.empty());
        EXPECT_FALSE(player->purchaseMenu->visible);
    }
    EXPECT_EQ(enemy->health, 100);
    EXPECT_EQ(neutral->team, nullptr);
    EXPECT_EQ(board->history.size(), before);
}

TEST_F(PlayerClicks, OwnUnitsCannotBeSelectedOutsideOurTurn)
{
    player->canAct = false;
    ClickUnit(knight);
    EXPECT_EQ(player->selectedUnit, nullptr);
    EXPECT_TRUE(player->highlights.empty());
}
