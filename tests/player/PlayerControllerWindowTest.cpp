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

TEST_F(PlayerClicks, ClickingOwnUnitHighlightsAttackTargetsBeforeMoveTiles)
{
    ClickTile(knight->GetTile());
    // One target, then every reachable tile in the query's order; the enemy's tile is no move tile.
    std::string expected = "Knight(2,4) attack (3,4)";
    for (Vector2 tile : knight->GetReachableTiles()) {
        expected += " " + TileText(tile);
    }
    EXPECT_EQ(Selection(), expected);
}

TEST_F(PlayerClicks, HighlightsAreDrawnTranslucentOverTheTiles)
{
    ClickTile(knight->GetTile());
    kit::Frame frame(game->root);
    const Color beige = tileTypeTable[0].color;
    EXPECT_TRUE(frame.Is(Cx(2), Cy(5), kit::Over({55, 55, 150, 100}, beige), 2)) << "move tile (2,5)";
    // A corner of the enemy's tile where the Knight image is transparent.
    EXPECT_TRUE(frame.Is(310, 403, kit::Over({240, 55, 55, 100}, beige), 2)) << "attack tile (3,4)";
    EXPECT_TRUE(frame.Is(Cx(8), Cy(4), beige)) << "tile (8,4), 6 steps from K: out of its reach";
}

TEST_F(PlayerClicks, ReleaseOnAHighlightedTileMovesAndAMovedUnitWithATargetShowsOnlyAttacks)
{
    ClickTile(knight->GetTile());
    size_t before = board->history.size();
    ClickTile({3, 3});  // above the enemy: it stays in reach
    EXPECT_TRUE(knight->hasMoved);
    EXPECT_FALSE(knight->hasAttacked) << "a target is in reach after the move";
    EXPECT_EQ(board->history.size(), before + 1) << "the move is recorded";
    EXPECT_EQ(Selection(), "none");
    ClickTile(knight->GetTile());
    EXPECT_EQ(Selection(), "Knight(3,3) attack (3,4)") << "no move tiles after the move";
}

TEST_F(PlayerClicks, ReleaseOnAnAttackTileAttacksAndFinishesTheUnit)
{
    ClickTile(knight->GetTile());
    ClickTile(enemy->GetTile());
    EXPECT_EQ(enemy->health, 50);
    EXPECT_TRUE(knight->hasAttacked);
    EXPECT_FALSE(knight->hasMoved) << "an attack does not count as a move";
    EXPECT_EQ(Selection(), "none");
    ClickTile(knight->GetTile());
    EXPECT_EQ(Selection(), "none") << "a finished unit cannot be selected";
}

// While anything is highlighted, every left release is the player's: the piece under the
// mouse took the press and keeps its pressed state.
TEST_F(PlayerClicks, ReleaseElsewhereWhileHighlightedIsConsumedAndOnlyClears)
{
    ClickTile(knight->GetTile());
    size_t before = board->history.size();
    kit::Press(Cx(6), Cy(1));
    EXPECT_TRUE(neutral->pressed) << "presses go through to the pieces";
    kit::Release(Cx(6), Cy(1));
    EXPECT_EQ(Selection(), "none");
    EXPECT_TRUE(neutral->pressed) << "the release never reached the castle";
    EXPECT_FALSE(sink->Saw(MouseLeft, false));
    EXPECT_EQ(board->history.size(), before) << "nothing was done";

    // On empty ground out of reach (14 steps away) the press reaches the end of the walk.
    ClickTile(knight->GetTile());
    sink->seen.clear();
    ClickTile({12, 8});
    EXPECT_FALSE(knight->hasMoved);
    EXPECT_EQ(Selection(), "none");
    EXPECT_TRUE(sink->Saw(MouseLeft, true));
    EXPECT_FALSE(sink->Saw(MouseLeft, false)) << "the release was consumed";
}

TEST_F(PlayerClicks, RightClicksAndScrollKeysLeaveTheSelection)
{
    ClickTile(knight->GetTile());
    const std::string selected = Selection();
    SetMousePosition(Cx(12), Cy(8));
    for (int32_t code : {MouseRight, KeyW, KeyA, KeyS, KeyD}) {
        Send(code);
        Send(code, false);
    }
    EXPECT_EQ(Selection(), selected);
    EXPECT_TRUE(sink->Saw(MouseRight, false));
}

// The Mage's highlights lie far from the tiles under the End Turn button (a release there
// over a highlighted tile would be a move, since the board reads the tile under the mouse).
TEST_F(PlayerClicks, EndTurnWhileHighlightedOnlyClearsAndASecondClickEndsTheTurn)
{
    ClickTile(mage->GetTile());
    size_t before = board->history.size();
    kit::Click(100, 50);
    EXPECT_EQ(Selection(), "none");
    EXPECT_EQ(board->history.size(), before) << "the turn must not end yet";
    EXPECT_TRUE(player->endTurnButton->pressed) << "the button took the press, the player the release";

    kit::Click(100, 50);
    EXPECT_FALSE(player->endTurnButton->pressed);
    EXPECT_EQ(board->history.size(), before + 2) << "our end of turn and the passive opponent's";
    EXPECT_EQ(board->currentTeam, 0) << "the passive opponent hands the turn straight back";
    EXPECT_TRUE(player->canAct);
    EXPECT_TRUE(player->endTurnButton->visible);
}

TEST_F(PlayerClicks, ZRestoresTheLastSnapshotLeavesTheSelectionAndPassesOn)
{
    ClickTile(knight->GetTile());
    ClickTile({2, 6});  // nothing in reach there: the knight is finished
    ASSERT_TRUE(knight->hasAttacked);
    size_t afterMove = board->history.size();
    ClickTile(mage->GetTile());
    const std::string selected = Selection();

    sink->seen.clear();
    Send(KeyZ);
    EXPECT_TRUE(TilesAre({knight->GetTile()}, {{2, 4}}));
    EXPECT_FALSE(knight->hasMoved || knight->hasAttacked);
    EXPECT_EQ(board->history.size(), afterMove - 1) << "the restored entry is dropped";
    EXPECT_EQ(Selection(), selected) << "undo leaves the selection";
    EXPECT_TRUE(sink->Saw(KeyZ, true)) << "Z is not consumed";
}

// Against the passive opponent End Turn records two ends of turn (ours, then its own). The first Z
// takes back the opponent's: the board is in its turn again, before our income; the second takes
// back ours. Nothing else moves, and the next End Turn plays on from there.
TEST_F(PlayerClicks, ZAfterEndTurnTakesBackTheTurnEndsOneByOne)
{
    const BoardState start = CaptureState(*board);
    const int32_t gold = player->gold;
    kit::Click(100, 50);
    ASSERT_EQ(board->history.size(), start.historyLength + 2);
    ASSERT_EQ(player->gold, gold + 100) << "income for our one castle";
    Send(KeyZ);
    EXPECT_EQ(board->history.size(), start.historyLength + 1);
    EXPECT_EQ(board->currentTeam, 1) << "the opponent's turn again";
    EXPECT_EQ(player->gold, gold) << "our income is taken back";
    EXPECT_TRUE(player->canAct) << "undo leaves canAct as it was";
    Send(KeyZ);
    BoardState undone = CaptureState(*board);
    undone.children = start.children;  // a restore puts the pieces behind the test's event sink
    ExpectSameState(start, undone, true);
    kit::Click(100, 50);
    EXPECT_EQ(board->currentTeam, 0);
    EXPECT_EQ(board->history.size(), start.historyLength + 2);
    EXPECT_EQ(player->gold, gold + 100);
}

TEST_F(PlayerClicks, ClicksOnEnemyOrNeutralPiecesOrOutsideOurTurnSelectNothing)
{
    size_t before = board->history.size();
    for (Unit* unit : {enemy, neutral}) {
        ClickTile(unit->GetTile());
        EXPECT_EQ(Selection(), "none");
        EXPECT_FALSE(player->purchaseMenu->visible);
    }
    EXPECT_EQ(enemy->health, 100);
    EXPECT_EQ(neutral->team, nullptr);
    EXPECT_EQ(board->history.size(), before);

    player->canAct = false;
    ClickTile(knight->GetTile());
    EXPECT_EQ(Selection(), "none");
}
