#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "board/TileMap.h"
#include "board/TileType.h"
#include "board/Unit.h"
#include "input/CameraNode.h"
#include "input/WindowTestKit.h"
#include "rules/PlayerController.h"
#include "support/TestGame.h"

// window-pieces.txt, 16 x 9 beige tiles with green ones at (4,1) and (12,1); the camera
// stays at (0,0), so tile (x,y) covers screen pixels 100x..100x+99, 100y..100y+99.
//   side 0 (blue): castle (1,6), Knight (2,4)      -> sight 5 around them
//   side 1 (red):  Knight (3,4) next to ours, Knight (14,4) far out of our sight, castle (14,7)
//   neutral castle (5,7)
namespace {
const Color beige = tileTypeTable[0].color;  // (211,176,131)
const Color green = tileTypeTable[1].color;  // (0,228,48)
const Color fog = {0, 0, 0, 100};

// The centre of a tile: a light, opaque pixel of every piece image.
int Cx(int tileX)
{
    return tileX * 100 + 50;
}
int Cy(int tileY)
{
    return tileY * 100 + 50;
}

class PieceDrawing : public kit::WindowTest {
protected:
    void SetUp() override
    {
        kit::WindowTest::SetUp();
        game = StartGame(TestDataPath("window-pieces.txt"));
        board = game->board;
        ASSERT_EQ(board->camera->position.x, 0.0f);
        ASSERT_EQ(board->camera->position.y, 0.0f);
        ASSERT_FALSE(board->gameOver);
    }
    void TearDown() override
    {
        game.reset();
        kit::WindowTest::TearDown();
    }
    Unit* At(int x, int y) const
    {
        Unit* unit = board->GetUnitAt({static_cast<float>(x), static_cast<float>(y)});
        EXPECT_NE(unit, nullptr) << "no piece at (" << x << "," << y << ")";
        return unit;
    }

    std::unique_ptr<TestGame> game;
    TileMap* board = nullptr;
};

struct FogCase {
    const char* name;
    Color tileColor;
    int seenX, seenY;
    int fogX, fogY;
};
class TileFog : public PieceDrawing, public testing::WithParamInterface<FogCase> {};
}  // namespace

// (4,y) lies within 5 tiles of our Knight at (2,4); (12,y) is 10 or more away from all our pieces.
INSTANTIATE_TEST_SUITE_P(Kinds, TileFog,
                         testing::Values(FogCase{"Beige", beige, 4, 2, 12, 2}, FogCase{"Green", green, 4, 1, 12, 1}),
                         [](const testing::TestParamInfo<FogCase>& info) { return std::string(info.param.name); });

TEST_P(TileFog, TileOutOfOurSightIsDarkenedByTranslucentBlack)
{
    const FogCase& c = GetParam();
    ASSERT_TRUE(game->player->CanSee({static_cast<float>(c.seenX), static_cast<float>(c.seenY)}));
    ASSERT_FALSE(game->player->CanSee({static_cast<float>(c.fogX), static_cast<float>(c.fogY)}));
    kit::Frame frame(game->root);
    Color seen = frame.At(Cx(c.seenX), Cy(c.seenY));
    Color fogged = frame.At(Cx(c.fogX), Cy(c.fogY));
    EXPECT_TRUE(kit::Near(seen, c.tileColor, 0)) << "seen tile " << kit::Rgb(seen);
    EXPECT_TRUE(kit::Near(fogged, kit::Over(fog, c.tileColor))) << "fogged tile " << kit::Rgb(fogged) << ", expected "
                                                                << kit::Rgb(kit::Over(fog, c.tileColor));
    EXPECT_LT(fogged.r + fogged.g + fogged.b, seen.r + seen.g + seen.b);
}

TEST_F(PieceDrawing, EnemyOnAFoggedTileIsNotDrawn)
{
    Unit* hidden = At(14, 4);
    ASSERT_FALSE(game->player->CanSee(hidden->GetTile()));
    kit::Frame frame(game->root);
    Color expected = kit::Over(fog, beige);
    // Where its image and its health bar would be: only fogged ground.
    for (auto [x, y] : {std::pair{1450, 450}, std::pair{1420, 430}, std::pair{1420, 505}, std::pair{1480, 505}}) {
        EXPECT_TRUE(kit::Near(frame.At(x, y), expected)) << "at (" << x << "," << y << ") " << kit::Rgb(frame.At(x, y));
    }
}

TEST_F(PieceDrawing, PiecesAreDrawnInTheirOwnersColour)
{
    kit::Frame frame(game->root);
    auto blue = [](Color c) { return c.b >= 150 && c.r <= 60 && c.g <= 60; };
    auto red = [](Color c) { return c.r >= 150 && c.g <= 60 && c.b <= 60; };
    auto white = [](Color c) {
        return std::min({c.r, c.g, c.b}) >= 150 && std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) <= 20;
    };
    Color ourKnight = frame.At(Cx(2), Cy(4));
    Color ourCastle = frame.At(Cx(1), Cy(6));
    Color theirKnight = frame.At(Cx(3), Cy(4));
    Color theirCastle = frame.At(Cx(14), Cy(7));
    Color neutral = frame.At(Cx(5), Cy(7));
    EXPECT_TRUE(blue(ourKnight)) << "our Knight " << kit::Rgb(ourKnight);
    EXPECT_TRUE(blue(ourCastle)) << "our castle " << kit::Rgb(ourCastle);
    EXPECT_TRUE(red(theirKnight)) << "their Knight " << kit::Rgb(theirKnight);
    // Castles are drawn wherever they stand, even out of our pieces' sight.
    EXPECT_TRUE(red(theirCastle)) << "their castle " << kit::Rgb(theirCastle);
    EXPECT_TRUE(white(neutral)) << "neutral castle " << kit::Rgb(neutral);
}

TEST_F(PieceDrawing, CapturedCastleTakesItsNewOwnersColourNextFrame)
{
    board->AttackUnit(At(2, 4), {5, 7});
    ASSERT_EQ(At(5, 7)->team, game->player);
    kit::Frame frame(game->root);
    Color castle = frame.At(Cx(5), Cy(7));
    EXPECT_TRUE(castle.b >= 150 && castle.r <= 60 && castle.g <= 60) << "captured castle " << kit::Rgb(castle);
}

// One Knight hit (50) on a Knight (100): a bar 100 x 10 just below its tile, the left 50 red.
TEST_F(PieceDrawing, HealthBarAfterOneKnightHitIsHalfRedHalfBlack)
{
    Unit* target = At(3, 4);
    board->AttackUnit(At(2, 4), {3, 4});
    ASSERT_EQ(target->health, 50);
    kit::Frame frame(game->root);
    for (int y = 500; y <= 509; ++y) {
        for (int x : {300, 320, 349}) {
            EXPECT_TRUE(kit::Near(frame.At(x, y), RED, 0)) << "red part at (" << x << "," << y << ") "
                                                           << kit::Rgb(frame.At(x, y));
        }
        for (int x : {350, 370, 399}) {
            EXPECT_TRUE(kit::Near(frame.At(x, y), BLACK, 0)) << "black part at (" << x << "," << y << ") "
                                                             << kit::Rgb(frame.At(x, y));
        }
    }
    // 10 pixels high and no wider than the tile: ground again below and to the right.
    EXPECT_TRUE(kit::Near(frame.At(320, 510), beige, 0)) << "below the bar " << kit::Rgb(frame.At(320, 510));
    EXPECT_TRUE(kit::Near(frame.At(401, 505), beige, 0)) << "right of the bar " << kit::Rgb(frame.At(401, 505));
    EXPECT_FALSE(kit::Near(frame.At(320, 495), RED, 0)) << "the bar starts below the piece's own tile";
    // The attacker, untouched, has a full red bar.
    EXPECT_TRUE(kit::Near(frame.At(295, 505), RED, 0)) << "full bar " << kit::Rgb(frame.At(295, 505));
}

TEST_F(PieceDrawing, CastlesHaveNoHealthBar)
{
    kit::Frame frame(game->root);
    // Below our castle (1,6): plain seen ground at the top of tile (1,7).
    EXPECT_TRUE(kit::Near(frame.At(120, 705), beige, 0)) << kit::Rgb(frame.At(120, 705));
}

TEST_F(PieceDrawing, FinishedPieceIsDrawnDimmerThanAFreshOne)
{
    Unit* knight = At(2, 4);
    ASSERT_FALSE(knight->hasAttacked);
    Color fresh;
    {
        kit::Frame frame(game->root);
        fresh = frame.At(Cx(2), Cy(4));
    }
    knight->hasAttacked = true;
    kit::Frame frame(game->root);
    Color finished = frame.At(Cx(2), Cy(4));
    EXPECT_LT(finished.b, fresh.b * 0.75) << "fresh " << kit::Rgb(fresh) << ", finished " << kit::Rgb(finished);
    EXPECT_LE(finished.r, fresh.r);
    EXPECT_LE(finished.g, fresh.g);
    EXPECT_TRUE(finished.b > finished.r && finished.b > finished.g) << "still blue: " << kit::Rgb(finished);
}
