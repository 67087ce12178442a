#pragma once

// Helpers shared by the window tests: the real mouse, captured frames, colour and caption
// checks, a node that watches the input walk and a board shown with its camera at the origin.

#include <algorithm>
#include <array>
#include <cstdlib>

#include "support/BoardChecks.h"
#include "support/FreshInput.h"

namespace kit {

// Moves the real cursor, then delivers the left button change as the frame's poll would.
inline void Mouse(int x, int y, bool down)
{
    SetMousePosition(x, y);
    InputManager::Instance().Dispatch({MouseLeft, down});
}

inline void Click(int x, int y)
{
    Mouse(x, y, true);
    Mouse(x, y, false);
}

inline std::string Rgb(Color c)
{
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// `top` drawn over `bottom` with top's alpha, as the blend mode of the window does.
inline Color Over(Color top, Color bottom)
{
    float a = static_cast<float>(top.a) / 255.0f;
    auto mix = [a](unsigned char t, unsigned char b) {
        return static_cast<unsigned char>(static_cast<float>(t) * a + static_cast<float>(b) * (1.0f - a) + 0.5f);
    };
    return {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), 255};
}

// Bounding box {left, top, right, bottom} of the caption ink (black on every button and label the
// tests look at) inside [x0, x1) x [y0, y1); left is -1 when there is none.
inline std::array<int, 4> InkBox(const Image& image, int x0, int y0, int x1, int y1)
{
    std::array<int, 4> box = {-1, -1, -1, -1};
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            Color c = GetImageColor(image, x, y);
            if (c.r + c.g + c.b < 100) {
                box = box[0] < 0 ? std::array{x, y, x, y}
                                 : std::array{std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), y};
            }
        }
    }
    return box;
}

// One drawn frame of a tree, read back.
class Frame {
public:
    explicit Frame(RootNode& root) : image(CaptureTree(root)) {}
    ~Frame() { UnloadImage(image); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    Color At(int x, int y) const { return GetImageColor(image, x, y); }
    testing::AssertionResult Is(int x, int y, Color want, int tolerance = 0) const
    {
        Color got = At(x, y);
        if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
            std::abs(got.b - want.b) <= tolerance) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << Rgb(got) << ", expected "
                                           << Rgb(want);
    }

    Image image;
};

// Checks a caption drawn inside [x0, x1) x [y0, y1) at its font size, its text's top at `top` as
// DrawText is given it, and its left at `left`, or, when `left` is -1, its ink centred in the area
// within a pixel and a half (whole-pixel halves on both sides). The reference is the same text
// drawn by DrawText at a known point.
inline void ExpectCaption(const Frame& frame, const std::string& text, int fontSize, int x0, int y0, int x1, int y1,
                          int left, int top)
{
    RenderTexture2D target = LoadRenderTexture(400, 200);
    BeginTextureMode(target);
    ClearBackground(RAYWHITE);
    DrawText(text.c_str(), 50, 50, fontSize, BLACK);
    EndTextureMode();
    Image image = LoadImageFromTexture(target.texture);
    ImageFlipVertical(&image);  // render textures are stored bottom-up
    const std::array<int, 4> ref = InkBox(image, 0, 0, image.width, image.height);
    UnloadImage(image);
    UnloadRenderTexture(target);
    // A button's outline lies on its area's edge.
    const int in = left < 0 ? 1 : 0;
    const std::array<int, 4> ink = InkBox(frame.image, x0 + in, y0 + in, x1 - in, y1 - in);
    ASSERT_TRUE(ref[0] >= 0 && ink[0] >= 0) << "\"" << text << "\" is not drawn";
    if (left < 0) {
        EXPECT_NEAR((ink[0] + ink[2]) / 2.0, (x0 + x1) / 2.0, 1.5) << "\"" << text << "\" not centred";
    } else {
        EXPECT_EQ(ink[0] - ref[0] + 50, left) << "left of \"" << text << "\"";
    }
    EXPECT_EQ(ink[1] - ref[1] + 50, top) << "top of \"" << text << "\"";
    EXPECT_EQ(ink[2] - ink[0], ref[2] - ref[0]) << "\"" << text << "\" drawn at its font size";
    EXPECT_EQ(ink[3] - ink[1], ref[3] - ref[1]) << "\"" << text << "\" drawn at its font size";
}

// Remembers every event it is offered and consumes none: placed last in a tree,
// it sees exactly the events that nobody before it consumed.
class EventSink : public Node {
public:
    bool HandleInput(InputEvent event) override
    {
        seen.push_back(event);
        return false;
    }
    bool Saw(int32_t code, bool down) const
    {
        return std::any_of(seen.begin(), seen.end(), [&](InputEvent e) { return e.code == code && e.down == down; });
    }
    std::vector<InputEvent> seen;
};

// Widgets or a screen alone under a root, drawn as a frame draws them.
class Shown : public FreshInput {
protected:
    template <class T>
    T* Show(T* node)
    {
        InputManager::Instance().root = &root;
        root.AddChild(node);
        return node;
    }
    RootNode root;
};

// A game on a window fixture of tests/data, its camera at (0,0): tile (x,y) covers the
// screen pixels 100x..100x+99, 100y..100y+99.
class BoardWindow : public FreshInput {
protected:
    explicit BoardWindow(const char* fixture) : game((Reset(), StartGame(TestDataPath(fixture)))) {}
    void SetUp() override {}  // the game's root, set up by the constructor, takes the input
    void TearDown() override
    {
        game.reset();
        Reset();
    }
    // The centre of a tile on the screen.
    static int C(float tile) { return static_cast<int>(tile) * 100 + 50; }
    static void ClickTile(Vector2 tile) { Click(C(tile.x), C(tile.y)); }
    Unit* At(int x, int y) const { return board->GetUnitAt({static_cast<float>(x), static_cast<float>(y)}); }
    // "Knight(2,4) attack (3,4) (2,5) ...": the selected piece and its highlights in order, or "none".
    std::string Selection() const
    {
        std::string text = player->selectedUnit != nullptr ? PieceText(player->selectedUnit) : "none";
        for (const TileHighlight& h : player->highlights) {
            text += (h.isAttack ? " attack " : " ") + TileText(h.tile);
        }
        return text;
    }

    std::unique_ptr<TestGame> game;
    TileMap* board = game->board;
    PlayerController* player = game->player;
};

}  // namespace kit
