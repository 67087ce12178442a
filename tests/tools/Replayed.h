#pragma once

// The replay tool as its command line runs it: its exit status and what it printed.
#include <sstream>

#include "replay/ReplayCommand.h"

struct Replayed {
    int status = 0;
    std::string out, err;
};

inline Replayed Replay(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = RunReplay(args, out, err);
    return {status, out.str(), err.str()};
}
