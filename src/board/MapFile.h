#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A map file that breaks the format: names the file, the line and what is wrong.
class MapFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MapPiece {
    int32_t type = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t side = 0;  // 0 the human, 1 the AI, anything else no owner
    int32_t line = 0;  // 1-based line in the file, for messages
};

// The contents of a map file: tile digits row by row, then one piece per line.
// NOTE: the board is as wide as the first row; a longer row keeps its extra digits, unused.
struct MapFile {
    std::vector<std::string> rows;
    std::vector<MapPiece> pieces;
};

// One thing wrong with a map: the line of the piece concerned, 1 for the whole map.
struct MapProblem {
    int line = 1;
    std::string what;
};

// A board is at most this many tiles wide and high, so that every tile's world position,
// and the distance between any two tiles, stays exact in the game's numbers.
constexpr int32_t maxBoardSide = 1024;

// Reads and checks a map file; throws MapFileError on anything the board cannot use.
MapFile ReadMapFile(const std::string& path);
// The same for text already in memory; `name` is used in messages.
MapFile ParseMapText(const std::string& text, const std::string& name);

// The steps of ParseMapText, for the map checker, which reports every misplaced piece
// rather than the first: the format alone (throws MapFileError), then the pieces that
// stand off the board or on a tile another piece holds, in file order.
std::string ReadMapText(const std::string& path);
MapFile ParseMapFormat(const std::string& text, const std::string& name);
std::vector<MapProblem> MisplacedPieces(const MapFile& map);
