#pragma once

// Helpers shared by the window tests: the real mouse, captured frames, a node that watches the
// input walk and a board shown with its camera at the origin.

#include <functional>

#include "support/TestGame.h"  // before rlgl.h, which needs raylib's types
#include "rlgl.h"
#include "study/Frame.h"

namespace kit {

// Moves the real cursor, then delivers the button change as the frame's poll would.
inline void Mouse(int x, int y, bool down, int32_t button = MouseLeft)
{
    SetMousePosition(x, y);
    InputManager::Instance().Dispatch({button, down});
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

// One frame of a tree, drawn as the game draws it (or of what `draw` draws) and read back
// before the frame ends.
class Frame {
public:
    explicit Frame(RootNode& root) : Frame([&root] { DrawTree(root); }) {}
    explicit Frame(const std::function<void()>& draw)
    {
        BeginDrawing();
        ClearBackground(RAYWHITE);
        draw();
        rlDrawRenderBatchActive();
        image = LoadImageFromScreen();
        EndDrawing();
    }
    ~Frame() { UnloadImage(image); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    Color At(int x, int y) const { return GetImageColor(image, x, y); }
    testing::AssertionResult Is(int x, int y, Color want) const
    {
        const Color got = At(x, y);
        return got.r == want.r && got.g == want.g && got.b == want.b
                   ? testing::AssertionSuccess()
                   : testing::AssertionFailure() << "(" << x << "," << y << ") is " << Rgb(got) << ", not " << Rgb(want);
    }

    Image image;
};

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

// A game on a window fixture of tests/data, its camera at (0,0): tile (x,y) covers the
// screen pixels 100x..100x+99, 100y..100y+99.
class BoardWindow : public FreshInput {
protected:
    explicit BoardWindow(const char* fixture) : game(StartGame(fixture)) {}
    void SetUp() override { InputManager::Instance().held.clear(); }  // the game's root takes the input
    // The centre of a tile on the screen.
    static int C(float tile) { return static_cast<int>(tile) * 100 + 50; }
    static void ClickTile(Vector2 tile) { Click(C(tile.x), C(tile.y)); }
    Unit* At(int x, int y) const { return board->GetUnitAt(Tile(x, y)); }
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
