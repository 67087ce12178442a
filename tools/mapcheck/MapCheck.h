#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "board/MapFile.h"

// What a game cannot be played on: pieces off the board or sharing a tile (which the game
// refuses too), and what the game accepts but warns of here: both sides own a castle,
// pieces stand on passable tiles, every castle has a free
// neighbour to place a bought unit on, and the two sides can walk to each other.
std::vector<MapProblem> CheckMap(const MapFile& map);

// Loads and checks one file; a format error counts as a problem.
// Every message reads "file:line: what".
std::vector<std::string> CheckMapFile(const std::string& path);
// Reads a study file as the game does and checks every map file it names, each once.
std::vector<std::string> CheckStudyFile(const std::string& path);

// The torvane-mapcheck command without its process: checks every file named in
// `args`, reports on `out` (usage errors on `err`) and returns the exit status:
// 0 every file passes, 1 a problem was found, 2 bad usage.
int RunMapCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
