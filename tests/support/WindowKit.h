#pragma once

// Helpers shared by the window tests: the real mouse, captured frames, colour checks,
// nodes that watch the input walk and a board shown with its camera at the origin.

#include <algorithm>
#include <cstdlib>

#include "input/Receiver.h"
#include "support/BoardChecks.h"
#include "support/FreshInput.h"

namespace kit {

// Moves the real cursor, then delivers the left button change as the frame's poll would.
inline void Press(int x, int y)
{
    SetMousePosition(x, y);
    InputManager::Instance().Dispatch({MouseLeft, true});
}

inline void Release(int x, int y)
{
    SetMousePosition(x, y);
    InputManager::Instance().Dispatch({MouseLeft, false});
}

inline void Click(int x, int y)
{
    Press(x, y);
    Release(x, y);
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

struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;
    bool Empty() const { return left < 0; }
};

// Bounding box of the caption ink (black on every button and label the tests look at)
// inside [x0, x1) x [y0, y1).
inline Box InkBox(const Image& image, int x0, int y0, int x1, int y1)
{
    Box box;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            Color c = GetImageColor(image, x, y);
            if (c.r + c.g + c.b >= 100) {
                continue;
            }
            box = box.Empty() ? Box{x, y, x, y}
                              : Box{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                                    std::max(box.bottom, y)};
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
    Color At(int x, int y) const { return PixelAt(image, x, y); }
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
    Box Ink(int x0, int y0, int x1, int y1) const { return InkBox(image, x0, y0, x1, y1); }

    Image image;
};

// Where the default font puts its first ink relative to the point DrawText is given:
// the reference against which a caption's drawn position is checked.
inline Box InkOffsetOfText(const std::string& text, int fontSize)
{
    RenderTexture2D target = LoadRenderTexture(400, 200);
    BeginTextureMode(target);
    ClearBackground(RAYWHITE);
    DrawText(text.c_str(), 50, 50, fontSize, BLACK);
    EndTextureMode();
    Image image = LoadImageFromTexture(target.texture);
    ImageFlipVertical(&image);  // render textures are stored bottom-up
    Box box = InkBox(image, 0, 0, image.width, image.height);
    UnloadImage(image);
    UnloadRenderTexture(target);
    return box.Empty() ? box : Box{box.left - 50, box.top - 50, box.right - 50, box.bottom - 50};
}

// Checks a caption drawn inside [x0, x1) x [y0, y1) at the DrawText point (left, top).
inline void ExpectCaptionAt(const Frame& frame, const std::string& text, int fontSize, int x0, int y0, int x1, int y1,
                            int left, int top)
{
    Box reference = InkOffsetOfText(text, fontSize);
    ASSERT_FALSE(reference.Empty());
    Box ink = frame.Ink(x0, y0, x1, y1);
    ASSERT_FALSE(ink.Empty()) << "\"" << text << "\" is not drawn";
    EXPECT_EQ(ink.left - reference.left, left) << "left of \"" << text << "\"";
    EXPECT_EQ(ink.top - reference.top, top) << "top of \"" << text << "\"";
    EXPECT_EQ(ink.bottom - ink.top, reference.bottom - reference.top) << "\"" << text << "\" drawn at its font size";
    EXPECT_EQ(ink.right - ink.left, reference.right - reference.left) << "\"" << text << "\" drawn at its font size";
}

// A caption centred in the button [x0, x1) x [y0, y1): its ink's middle is the button's middle
// within a pixel and a half (whole-pixel halves on both sides), drawn at its font size, with
// the text's top at `top` as DrawText is given it.
inline void ExpectCentredCaption(const Frame& frame, const char* text, int fontSize, int x0, int y0, int x1, int y1,
                                 int top)
{
    Box reference = InkOffsetOfText(text, fontSize);
    Box ink = frame.Ink(x0 + 1, y0 + 1, x1 - 1, y1 - 1);
    ASSERT_FALSE(ink.Empty()) << "\"" << text << "\" is not drawn";
    EXPECT_NEAR((ink.left + ink.right) / 2.0, (x0 + x1) / 2.0, 1.5) << "\"" << text << "\" not centred";
    EXPECT_EQ(ink.top - reference.top, top) << "top of \"" << text << "\"";
    EXPECT_EQ(ink.right - ink.left, reference.right - reference.left) << "\"" << text << "\" drawn at its font size";
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

class LogReceiver : public Receiver {
public:
    void Receive(int32_t messageId) override { messages.push_back(messageId); }
    std::vector<int32_t> messages;
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
    void SetUp() override
    {
        ASSERT_FALSE(board->gameOver);
        ASSERT_EQ(board->currentTeam, 0);
    }
    void TearDown() override
    {
        game.reset();
        Reset();
    }
    // The centre of a tile on the screen.
    static int Cx(float tileX) { return static_cast<int>(tileX) * 100 + 50; }
    static int Cy(float tileY) { return static_cast<int>(tileY) * 100 + 50; }
    static void ClickTile(Vector2 tile) { Click(Cx(tile.x), Cy(tile.y)); }
    Unit* At(int x, int y) const
    {
        Unit* unit = board->GetUnitAt({static_cast<float>(x), static_cast<float>(y)});
        EXPECT_NE(unit, nullptr) << "no piece at (" << x << "," << y << ")";
        return unit;
    }
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
