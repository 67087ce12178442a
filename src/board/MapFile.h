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
struct MapFile {
    std::vector<std::string> rows;
    std::vector<MapPiece> pieces;
};

// Reads and checks a map file; throws MapFileError on anything the board cannot use.
MapFile ReadMapFile(const std::string& path);
// The same for text already in memory; `name` is used in messages.
MapFile ParseMapText(const std::string& text, const std::string& name);
