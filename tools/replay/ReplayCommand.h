#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The torvane-replay command without its process: checks, sums up or shows records.
// Returns the exit status: 0 every record matches, 1 a difference (printed as
// "FILE:LINE: what differed"), 2 bad usage or a file that is not a record.
int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
