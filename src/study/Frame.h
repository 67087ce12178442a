#pragma once

class RootNode;
class WindowFit;

// One frame of the game: input, update, layered drawing into the window, scene switch.
void RunFrame(RootNode& root, const WindowFit& window);
// The drawing part alone, between BeginDrawing and EndDrawing: the camera of the
// board shown, then every visible node in ascending layer.
void DrawTree(RootNode& root);
