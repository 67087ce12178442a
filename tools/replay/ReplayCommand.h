#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The torvane-replay command without its process: checks, sums up or shows records.
// Returns the exit status: 0 every record read and matching to its last line, 1 a difference
// (printed as "FILE:LINE: what differed"), 2 bad usage or a file that is not a record, 3 a
// record not checked to its end (its last line cut short, a board off the study's maps, a
// search beyond its budget). The lowest of 1, 2 and 3 met wins.
int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
