// The window tests share one hidden window for the whole run, as the game has one.
#include <gtest/gtest.h>

#include "raylib.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    SetTraceLogLevel(LOG_WARNING);
    SetConfigFlags(FLAG_WINDOW_HIDDEN);
    InitWindow(1600, 900, "Strategy Game");
    if (!IsWindowReady()) {
        return 1;
    }
    int result = RUN_ALL_TESTS();
    CloseWindow();
    return result;
}
