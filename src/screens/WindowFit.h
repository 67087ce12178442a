#pragma once

#include "raylib.h"

// How the game's picture, always 1600 x 900, reaches the window. A screen too small for that
// gets a smaller window of the same shape: the game then draws into a texture of its own size,
// shown scaled in the window, and raylib maps the mouse back to the game's coordinates, so
// nothing else in the game learns of it. At full size the game draws straight into the window.
class WindowFit {
public:
    static constexpr int gameWidth = 1600;
    static constexpr int gameHeight = 900;

    struct Area {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };
    // What the window system draws around the window's inside: title bar and borders.
    struct Edges {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    // The window's inside, placed so that it and its frame lie wholly in the work area (the
    // screen without taskbars and panels), centred: the game's size when it fits, else the
    // largest size of the game's shape. A work area that leaves no room (unknown) keeps the
    // game's size.
    static Area Fitted(Area workArea, Edges frame);

    WindowFit() = default;
    ~WindowFit() { Release(); }
    WindowFit(const WindowFit&) = delete;
    WindowFit& operator=(const WindowFit&) = delete;

    // From now on the window's inside is `width` x `height`, smaller than the game's size.
    void ScaleTo(int width, int height);
    // Frees the texture; before the window closes.
    void Release();
    bool IsScaled() const { return target.id != 0; }

    // A whole frame of the game's picture goes between these two.
    void BeginFrame() const;
    void EndFrame() const;

private:
    RenderTexture2D target = {};  // the game's picture while scaled; id 0 at full size
    int windowWidth = gameWidth;
    int windowHeight = gameHeight;
};
