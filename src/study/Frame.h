#pragma once

class RootNode;

// One frame of the game: input, update, layered drawing, scene switch.
void RunFrame(RootNode& root);
// The drawing part alone, between BeginDrawing and EndDrawing: the camera of the
// board shown, then every visible node in ascending layer.
void DrawTree(RootNode& root);
