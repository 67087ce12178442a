#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "board/MapFile.h"

// One thing wrong with a map: the line of the piece concerned, 1 for the whole map.
struct MapProblem {
    int line = 1;
    std::string what;
};

// What the loader accepts but a game cannot be played on: both sides own a castle,
// pieces stand on distinct passable tiles of the board, every castle has a free
// neighbour to place a bought unit on, and the two sides can walk to each other.
std::vector<MapProblem> CheckMap(const MapFile& map);

// Loads and checks one file; a loader error counts as a problem.
// Every message reads "file:line: what".
std::vector<std::string> CheckMapFile(const std::string& path);

// The torvane-mapcheck command without its process: checks every file named in
// `args`, reports on `out` (usage errors on `err`) and returns the exit status:
// 0 every file passes, 1 a problem was found, 2 bad usage.
int RunMapCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
