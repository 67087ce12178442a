#include <cstdio>
#include <string>

#include "board/MapFile.h"
#include "study/Frame.h"
#include "study/RootNode.h"
#include "input/InputManager.h"
#include "raylib.h"

#if defined(PLATFORM_WEB)
#include <emscripten/emscripten.h>

// Tells the page that the study is over: the result code after Quit, or why it stopped.
EM_JS(void, ReportStudyEnd, (const char* code, const char* error), {
    if (Module.onStudyEnd) {
        Module.onStudyEnd(UTF8ToString(code), UTF8ToString(error));
    }
});

namespace {
RootNode* webRoot = nullptr;

void EndInBrowser(const char* error)
{
    emscripten_cancel_main_loop();
    const std::string code = webRoot->resultCode;
    InputManager::Instance().root = nullptr;
    delete webRoot;
    webRoot = nullptr;
    if (IsWindowReady()) {
        CloseWindow();
    }
    ReportStudyEnd(code.c_str(), error);
}

// The browser calls this once per frame. WindowShouldClose means nothing in a tab,
// so the end of the study shows as the window closed by the scene switch after Quit.
void BrowserFrame()
{
    try {
        RunFrame(*webRoot);
    } catch (const MapFileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        EndInBrowser(error.what());
        return;
    }
    if (!IsWindowReady()) {
        EndInBrowser("");
    }
}
}  // namespace

int main()
{
    InitWindow(1600, 900, "Strategy Game");
    // A tab cannot close itself: Escape must not stop the study.
    SetExitKey(KEY_NULL);
    webRoot = new RootNode();
    InputManager::Instance().root = webRoot;
    try {
        webRoot->Init();
    } catch (const MapFileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        EndInBrowser(error.what());
        return 1;
    }
    // The browser paces the frames at 60 per second (a busy wait like SetTargetFPS
    // would freeze the page); main returns and the runtime stays alive.
    emscripten_set_main_loop(BrowserFrame, 60, 0);
    return 0;
}

#else

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

#endif
