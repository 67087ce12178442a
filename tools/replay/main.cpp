// torvane-replay FILE...: checks study records by replaying them (see ReplayCommand.h).
#include <iostream>
#include <string>
#include <vector>

#include "replay/ReplayCommand.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunReplay(args, std::cout, std::cerr);
}
