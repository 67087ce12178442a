// libFuzzer target for the map loader: every input must either load into a board
// the game can use or be refused with MapFileError. A crash, a sanitizer report,
// any other exception or a broken promise below is a finding (scripts/fuzz.sh).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "board/MapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        MapFile map = ParseMapText(text, "fuzz");
        // The board reads the first row's length and indexes the tile and unit tables.
        if (map.rows.empty()) {
            abort();
        }
        for (const std::string& row : map.rows) {
            if (row.size() < map.rows.front().size() || row.find_first_not_of("0123") != std::string::npos) {
                abort();
            }
        }
        for (const MapPiece& piece : map.pieces) {
            if (piece.type < 0 || piece.type > 3 || piece.line < 1) {
                abort();
            }
        }
    } catch (const MapFileError&) {
        // A refusal with a message is the loader doing its job.
    }
    return 0;
}
