#pragma once

// Small helpers shared by the window tests: the real mouse, captured frames,
// colour checks and nodes that watch the input walk.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Node.h"
#include "core/RootNode.h"
#include "input/InputManager.h"
#include "input/Receiver.h"
#include "raylib.h"
#include "support/TestGame.h"

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

// One drawn frame of a tree, read back.
class Frame {
public:
    explicit Frame(RootNode& root) : image(CaptureTree(root)) {}
    ~Frame() { UnloadImage(image); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    Color At(int x, int y) const { return PixelAt(image, x, y); }

    Image image;
};

inline std::string Rgb(Color c)
{
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

inline bool Near(Color a, Color b, int tolerance = 2)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
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

// Caption pixels are black on every button and label the tests look at.
inline bool IsInk(Color c)
{
    return c.r + c.g + c.b < 100;
}

struct Box {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
    bool Empty() const { return left < 0; }
};

// Bounding box of the ink pixels inside [x0, x1) x [y0, y1).
inline Box InkBox(const Frame& frame, int x0, int y0, int x1, int y1)
{
    Box box;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!IsInk(frame.At(x, y))) {
                continue;
            }
            if (box.Empty()) {
                box = {x, y, x, y};
            }
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

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
    Box box;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (!IsInk(GetImageColor(image, x, y))) {
                continue;
            }
            if (box.Empty()) {
                box = {x, y, x, y};
            }
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x);
            box.bottom = std::max(box.bottom, y);
        }
    }
    UnloadImage(image);
    UnloadRenderTexture(target);
    if (!box.Empty()) {
        box = {box.left - 50, box.top - 50, box.right - 50, box.bottom - 50};
    }
    return box;
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
        for (const InputEvent& e : seen) {
            if (e.code == code && e.down == down) {
                return true;
            }
        }
        return false;
    }
    std::vector<InputEvent> seen;
};

class LogReceiver : public Receiver {
public:
    void Receive(int32_t messageId) override { messages.push_back(messageId); }
    std::vector<int32_t> messages;
};

// The input manager outlives every test: start and end each one with nothing held and no root.
class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        InputManager::Instance().held.clear();
        InputManager::Instance().root = nullptr;
    }
    void TearDown() override
    {
        InputManager::Instance().held.clear();
        InputManager::Instance().root = nullptr;
    }
};

}  // namespace kit
