#include <cstdio>

#include "board/MapFile.h"
#include "study/Frame.h"
#include "study/RootNode.h"
#include "input/InputManager.h"
#include "raylib.h"

int main()
{
    InitWindow(1600, 900, "Strategy Game");
    SetTargetFPS(60);
    auto* root = new RootNode();
    InputManager::Instance().root = root;
    int status = 0;
    try {
        root->Init();
        while (!WindowShouldClose()) {
            RunFrame(*root);
        }
    } catch (const MapFileError& error) {
        // A broken map file must stop the study rather than show a corrupted board.
        std::fprintf(stderr, "%s\n", error.what());
        status = 1;
    }
    InputManager::Instance().root = nullptr;
    delete root;
    if (status != 0 && IsWindowReady()) {
        CloseWindow();
    }
    return status;
}
