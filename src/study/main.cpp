#include <cstdio>
#include <string>

#include "board/MapFile.h"
#include "input/InputManager.h"
#include "raylib.h"
#include "study/Frame.h"
#include "study/RootNode.h"

#if defined(PLATFORM_WEB)
#include <emscripten/emscripten.h>
#endif

namespace {
RootNode* root = nullptr;
std::string brokenMap;  // the message of the map file that stopped the study

// Runs part of the study. A broken map file must stop it rather than show a corrupted
// board: false then, with the message (file and line) printed and kept.
template <class Work>
bool Guarded(Work work)
{
    try {
        work();
        return true;
    } catch (const MapFileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        brokenMap = error.what();
        return false;
    }
}

void StartStudy()
{
    root = new RootNode();
    InputManager::Instance().root = root;
}

void EndStudy()
{
    InputManager::Instance().root = nullptr;
    delete root;
    root = nullptr;
}
}  // namespace

#if defined(PLATFORM_WEB)

// Tells the page that the study is over: the result code after Quit, or why it stopped.
EM_JS(void, ReportStudyEnd, (const char* code, const char* error), {
    if (Module.onStudyEnd) {
        Module.onStudyEnd(UTF8ToString(code), UTF8ToString(error));
    }
});

namespace {
void EndInBrowser()
{
    emscripten_cancel_main_loop();
    const std::string code = root->resultCode;
    EndStudy();
    if (IsWindowReady()) {
        CloseWindow();
    }
    ReportStudyEnd(code.c_str(), brokenMap.c_str());
}

// The browser calls this once per frame. WindowShouldClose means nothing in a tab,
// so the end of the study shows as the window closed by the scene switch after Quit.
void BrowserFrame()
{
    if (!Guarded([] { RunFrame(*root); }) || !IsWindowReady()) {
        EndInBrowser();
    }
}
}  // namespace

int main()
{
    InitWindow(1600, 900, "Strategy Game");
    // A tab cannot close itself: Escape must not stop the study.
    SetExitKey(KEY_NULL);
    StartStudy();
    if (!Guarded([] { root->Init(); })) {
        EndInBrowser();
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
    StartStudy();
    const bool played = Guarded([] {
        root->Init();
        while (!WindowShouldClose()) {
            RunFrame(*root);
        }
    });
    EndStudy();
    if (!played && IsWindowReady()) {
        CloseWindow();
    }
    return played ? 0 : 1;
}

#endif
