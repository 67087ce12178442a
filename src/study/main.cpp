#include <cstdio>

#include "board/MapFile.h"
#include "study/Frame.h"
#include "study/RootNode.h"
#include "input/InputManager.h"
#include "raylib.h"

namespace {
// The game reads its files from the working directory. Started from a shortcut or a file
// manager, that can be anywhere: then the files beside the program are used instead.
void FindDataFiles()
{
    const char* beside = GetApplicationDirectory();
    if (!FileExists("TutorialMap.txt") && FileExists(TextFormat("%sTutorialMap.txt", beside))) {
        ChangeDirectory(beside);
    }
}
}  // namespace

int main()
{
    FindDataFiles();
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
