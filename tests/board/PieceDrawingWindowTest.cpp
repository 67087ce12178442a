#include "support/WindowKit.h"

// window-pieces.txt, 16 x 9 beige tiles with green ones at (4,1) and (12,1):
//   side 0 (blue): castle (1,6), Knight (2,4)      -> sight 5 around them
//   side 1 (red):  Knight (3,4) next to ours, Knight (14,4) far out of our sight, castle (14,7)
//   neutral castle (5,7)
// The centre of a tile is a light, opaque pixel of every piece image.
namespace {
const Color beige = tileTypeTable[0].color;  // (211,176,131)
const Color green = tileTypeTable[1].color;  // (0,228,48)
const Color fog = {0, 0, 0, 100};

// The side colour a piece is drawn in, or the pixel itself when it is none of them.
std::string Tint(Color c)
{
    if (c.b >= 150 && c.r <= 60 && c.g <= 60) {
        return "blue";
    }
    if (c.r >= 150 && c.g <= 60 && c.b <= 60) {
        return "red";
    }
    bool grey = std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}) <= 20;
    return std::min({c.r, c.g, c.b}) >= 150 && grey ? "white" : kit::Rgb(c);
}

class PieceDrawing : public kit::BoardWindow {
protected:
    PieceDrawing() : BoardWindow("window-pieces.txt") {}
    Color CentreOf(int x, int y) { return kit::Frame(game->root).At(Cx(x), Cy(y)); }
};

}  // namespace

// (4,y) lies within 5 tiles of our Knight at (2,4); (12,y) is 10 or more away from all our pieces.
TEST_F(PieceDrawing, TileOutOfOurSightIsDarkenedByTranslucentBlack)
{
    kit::Frame frame(game->root);
    for (auto [y, colour] : {std::pair{2, beige}, std::pair{1, green}}) {
        ASSERT_TRUE(player->CanSee({4, static_cast<float>(y)}));
        ASSERT_FALSE(player->CanSee({12, static_cast<float>(y)}));
        EXPECT_TRUE(frame.Is(Cx(4), Cy(y), colour)) << "seen tile";
        EXPECT_TRUE(frame.Is(Cx(12), Cy(y), kit::Over(fog, colour), 2)) << "fogged tile";
    }
}

TEST_F(PieceDrawing, EnemyOnAFoggedTileIsNotDrawn)
{
    ASSERT_FALSE(player->CanSee(At(14, 4)->GetTile()));
    kit::Frame frame(game->root);
    // Where its image and its health bar would be: only fogged ground.
    for (auto [x, y] : {std::pair{1450, 450}, std::pair{1420, 505}}) {
        EXPECT_TRUE(frame.Is(x, y, kit::Over(fog, beige), 2));
    }
}

TEST_F(PieceDrawing, PiecesAreDrawnInTheirOwnersColour)
{
    kit::Frame frame(game->root);
    EXPECT_EQ(Tint(frame.At(Cx(2), Cy(4))), "blue") << "our Knight";
    EXPECT_EQ(Tint(frame.At(Cx(1), Cy(6))), "blue") << "our castle";
    EXPECT_EQ(Tint(frame.At(Cx(3), Cy(4))), "red") << "their Knight";
    // Castles are drawn wherever they stand, even out of our pieces' sight.
    EXPECT_EQ(Tint(frame.At(Cx(14), Cy(7))), "red") << "their castle";
    EXPECT_EQ(Tint(frame.At(Cx(5), Cy(7))), "white") << "neutral castle";
    board->AttackUnit(At(2, 4), {5, 7});
    EXPECT_EQ(Tint(CentreOf(5, 7)), "blue") << "a captured castle takes its new owner's colour";
}


// One Knight hit (50) on a Knight (100): a bar 100 x 10 just below its tile, the left 50 red.
TEST_F(PieceDrawing, HealthBarAfterOneKnightHitIsHalfRedHalfBlack)
{
    Unit* target = At(3, 4);
    board->AttackUnit(At(2, 4), {3, 4});
    ASSERT_EQ(target->health, 50);
    kit::Frame frame(game->root);
    for (int y : {500, 509}) {
        EXPECT_TRUE(frame.Is(300, y, RED) && frame.Is(349, y, RED)) << "red part";
        EXPECT_TRUE(frame.Is(350, y, BLACK) && frame.Is(399, y, BLACK)) << "black part";
    }
    // 10 pixels high and no wider than the tile: ground again below and to the right.
    EXPECT_TRUE(frame.Is(320, 510, beige)) << "below the bar";
    EXPECT_TRUE(frame.Is(401, 505, beige)) << "right of the bar";
    EXPECT_FALSE(frame.Is(320, 495, RED)) << "the bar starts below the piece's own tile";
    EXPECT_TRUE(frame.Is(295, 505, RED)) << "the untouched attacker has a full bar";
    // Castles have none: below our castle (1,6), plain seen ground at the top of tile (1,7).
    EXPECT_TRUE(frame.Is(120, 705, beige)) << "below our castle";
}

TEST_F(PieceDrawing, FinishedPieceIsDrawnDimmerThanAFreshOne)
{
    Unit* knight = At(2, 4);
    ASSERT_FALSE(knight->hasAttacked);
    Color fresh = CentreOf(2, 4);
    knight->hasAttacked = true;
    Color finished = CentreOf(2, 4);
    EXPECT_LT(finished.b, fresh.b * 0.75) << "fresh " << kit::Rgb(fresh) << ", finished " << kit::Rgb(finished);
    EXPECT_LE(finished.r, fresh.r);
    EXPECT_LE(finished.g, fresh.g);
    EXPECT_TRUE(finished.b > finished.r && finished.b > finished.g) << "still blue: " << kit::Rgb(finished);
}
