// torvane-mapcheck FILE...: loads map files (and study files, with the maps they name) as the
// game does and reports what would make a game on them unplayable, one "file:line: problem" per line.
#include <iostream>
#include <string>
#include <vector>

#include "mapcheck/MapCheck.h"
#include "raylib.h"

int main(int argc, char** argv)
{
    // It opens no window: raylib's notes on what it cannot put on a GPU are not the checker's business.
    SetTraceLogLevel(LOG_ERROR);
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunMapCheck(args, std::cout, std::cerr);
}
