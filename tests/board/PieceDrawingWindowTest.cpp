#include "support/WindowKit.h"

// window-pieces.txt, 16 x 9 beige tiles with green ones at (4,1) and (12,1):
//   side 0 (blue): castle (1,6), Knight (2,4)      -> sight 5 around them
//   side 1 (red):  Knight (3,4) next to ours, Knight (14,4) far out of our sight, castle (14,7)
//   neutral castle (5,7)
// The centre of a tile is a light, opaque pixel of every piece image.
namespace {
const Color beige = tileTypeTable[0].color;

// The side colour a piece is drawn in, or the pixel itself when it is none of them.
std::string Tint(Color c)
{
    const int low = std::min({c.r, c.g, c.b}), high = std::max({c.r, c.g, c.b});
    return c.b >= 150 && c.r <= 60 && c.g <= 60   ? "blue"
           : c.r >= 150 && c.g <= 60 && c.b <= 60 ? "red"
           : low >= 150 && high - low <= 20       ? "white"
                                                  : kit::Rgb(c);
}

class PieceDrawing : public kit::BoardWindow {
protected:
    PieceDrawing() : BoardWindow("window-pieces.txt") {}
};
}  // namespace

// (4,y) lies within 5 tiles of our Knight at (2,4); (12,y) is 10 or more away from all our pieces. Fog
// darkens the ground and lets it show: every channel lower, by less than two thirds. Castles are drawn
// wherever they stand, units only on tiles in our sight.
TEST_F(PieceDrawing, FogOwnersColoursHealthBarsAndFinishedPieces)
{
    kit::Frame frame(game->root);
    auto dimmed = [](int fogged, int seen) { return seen == 0 ? fogged == 0 : fogged < seen && 3 * fogged > seen; };
    for (auto [y, colour] : {std::pair{2, beige}, std::pair{1, tileTypeTable[1].color}}) {
        EXPECT_TRUE(frame.Is(C(4), C(y), colour)) << "seen tile";
        const Color fogged = frame.At(C(12), C(y));
        EXPECT_TRUE(dimmed(fogged.r, colour.r) && dimmed(fogged.g, colour.g) && dimmed(fogged.b, colour.b))
            << kit::Rgb(fogged) << " is not fogged " << kit::Rgb(colour);
    }
    // Where the fogged enemy's image and health bar would be: only fogged ground, as on (12,2).
    EXPECT_TRUE(frame.Is(1450, 450, frame.At(1250, 250)) && frame.Is(1420, 505, frame.At(1250, 250)));
    const std::tuple<int, int, const char*> pieces[] = {
        {2, 4, "blue"}, {1, 6, "blue"}, {3, 4, "red"}, {14, 7, "red"}, {5, 7, "white"}};
    for (const auto& [x, y, tint] : pieces) {
        EXPECT_EQ(Tint(frame.At(C(x), C(y))), tint) << PieceText(At(x, y));
    }
    // A captured castle takes its new owner's colour. One Knight hit (50) on a Knight (100): the bar
    // just below its tile is red on its left half and black on its right; castles have no bar. A
    // finished piece is drawn dimmer, still in its side's colour.
    const Color fresh = frame.At(C(2), C(4));
    board->AttackUnit(At(1, 6), {5, 7});  // any attacker captures; our castle stays unfinished
    board->AttackUnit(At(2, 4), {3, 4});
    kit::Frame hit(game->root);
    EXPECT_EQ(Tint(hit.At(C(5), C(7))), "blue") << "the captured castle";
    EXPECT_TRUE(hit.Is(310, 505, RED) && hit.Is(390, 505, BLACK)) << "half a bar";
    EXPECT_TRUE(hit.Is(295, 505, RED)) << "the untouched attacker has a full bar";
    EXPECT_TRUE(hit.Is(120, 705, beige)) << "below our castle (1,6), plain ground";
    const Color finished = hit.At(C(2), C(4));  // the attack finished our Knight
    EXPECT_LT(finished.b, fresh.b * 0.75) << "fresh " << kit::Rgb(fresh) << ", finished " << kit::Rgb(finished);
    EXPECT_TRUE(finished.r <= fresh.r && finished.g <= fresh.g);
    EXPECT_TRUE(finished.b > finished.r && finished.b > finished.g) << "still blue: " << kit::Rgb(finished);
}
