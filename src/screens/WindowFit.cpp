#include "screens/WindowFit.h"

WindowFit::Area WindowFit::Fitted(Area workArea, Edges frame)
{
    const int roomWidth = workArea.width - frame.left - frame.right;
    const int roomHeight = workArea.height - frame.top - frame.bottom;
    Area inside = {0, 0, gameWidth, gameHeight};
    if (roomWidth <= 0 || roomHeight <= 0) {
        return inside;
    }
    if (roomWidth < gameWidth || roomHeight < gameHeight) {
        // NOTE: whole numbers throughout, rounded down, so the window never outgrows the room.
        if (roomWidth * gameHeight <= roomHeight * gameWidth) {
            inside.width = roomWidth;
            inside.height = roomWidth * gameHeight / gameWidth;
        } else {
            inside.width = roomHeight * gameWidth / gameHeight;
            inside.height = roomHeight;
        }
    }
    inside.x = workArea.x + frame.left + (roomWidth - inside.width) / 2;
    inside.y = workArea.y + frame.top + (roomHeight - inside.height) / 2;
    return inside;
}

void WindowFit::ScaleTo(int width, int height)
{
    Release();
    windowWidth = width;
    windowHeight = height;
    target = LoadRenderTexture(gameWidth, gameHeight);
    // Smoothed when shrunk, so that thin lines and small text do not drop out.
    SetTextureFilter(target.texture, TEXTURE_FILTER_BILINEAR);
    SetMouseScale(static_cast<float>(gameWidth) / static_cast<float>(width),
                  static_cast<float>(gameHeight) / static_cast<float>(height));
}

void WindowFit::Release()
{
    // A window already closed (the study closes it after Quit) took the texture with its context.
    if (IsScaled() && IsWindowReady()) {
        UnloadRenderTexture(target);
    }
    target = {};
}

void WindowFit::BeginFrame() const
{
    BeginDrawing();
    if (IsScaled()) {
        BeginTextureMode(target);
    }
}

void WindowFit::EndFrame() const
{
    if (IsScaled()) {
        // NOTE: ending the texture also ends a camera's 2D mode left open by the picture.
        EndTextureMode();
        // A render texture stands upside down: its source is read with a negative height.
        DrawTexturePro(target.texture, {0, 0, static_cast<float>(gameWidth), -static_cast<float>(gameHeight)},
                       {0, 0, static_cast<float>(windowWidth), static_cast<float>(windowHeight)}, {0, 0}, 0,
                       WHITE);
    }
    EndDrawing();
}
