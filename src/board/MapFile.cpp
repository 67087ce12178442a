#include "board/MapFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

namespace {
[[noreturn]] void Fail(const std::string& name, int line, const std::string& what)
{
    throw MapFileError(name + ":" + std::to_string(line) + ": " + what);
}

// A decimal int32 as the format allows it: leading blanks and a sign, then digits;
// anything after the digits is ignored.
int32_t ParseField(const std::string& field, const std::string& name, int line, int index)
{
    const char* begin = field.c_str();
    size_t i = 0;
    while (begin[i] != '\0' && std::isspace(static_cast<unsigned char>(begin[i]))) {
        ++i;
    }
    size_t digits = i;
    if (begin[digits] == '+' || begin[digits] == '-') {
        ++digits;
    }
    if (!std::isdigit(static_cast<unsigned char>(begin[digits]))) {
        Fail(name, line, "field " + std::to_string(index) + " (\"" + field + "\") is not a number");
    }
    errno = 0;
    long long value = std::strtoll(begin + i, nullptr, 10);
    if (errno == ERANGE || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        Fail(name, line, "field " + std::to_string(index) + " (\"" + field + "\") is outside the 32-bit range");
    }
    return static_cast<int32_t>(value);
}
// One row of tiles, checked against the rows before it.
void ReadTileRow(MapFile& map, const std::string& line, const std::string& name, int lineNumber)
{
    for (size_t x = 0; x < line.size(); ++x) {
        if (line[x] < '0' || line[x] > '3') {
            Fail(name, lineNumber,
                 "tile character '" + std::string(1, line[x]) + "' at column " + std::to_string(x) +
                     " is not one of 0-3");
        }
    }
    if (!map.rows.empty() && line.size() < map.rows.front().size()) {
        Fail(name, lineNumber,
             "tile row has " + std::to_string(line.size()) + " tiles, fewer than the first row's " +
                 std::to_string(map.rows.front().size()));
    }
    if (map.rows.empty() && line.size() > static_cast<size_t>(maxBoardSide)) {
        Fail(name, lineNumber,
             "tile row has " + std::to_string(line.size()) + " tiles, more than the " +
                 std::to_string(maxBoardSide) + " a board may be wide");
    }
    if (map.rows.size() == static_cast<size_t>(maxBoardSide)) {
        Fail(name, lineNumber,
             "more than " + std::to_string(maxBoardSide) + " tile rows, more than a board may be high");
    }
    map.rows.push_back(line);
}

// One piece line: up to four comma-separated numbers, the missing ones 0.
void ReadPieceLine(MapFile& map, const std::string& line, const std::string& name, int lineNumber)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream split(line);
    while (std::getline(split, field, ',')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    if (fields.size() > 4) {
        Fail(name, lineNumber, "piece line has " + std::to_string(fields.size()) + " numbers, at most 4 allowed");
    }
    int32_t values[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < fields.size(); ++i) {
        values[i] = ParseField(fields[i], name, lineNumber, static_cast<int>(i) + 1);
    }
    if (values[0] < 0 || values[0] > 3) {
        Fail(name, lineNumber, "piece type " + std::to_string(values[0]) + " is not one of 0-3");
    }
    map.pieces.push_back({values[0], values[1], values[2], values[3], lineNumber});
}
}  // namespace

MapFile ParseMapFormat(const std::string& text, const std::string& name)
{
    MapFile map;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    bool inPieces = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!inPieces) {
            if (line.empty()) {
                inPieces = true;
                continue;
            }
            ReadTileRow(map, line, name, lineNumber);
            continue;
        }
        // NOTE: blank lines among the pieces (the file's final line feed among them)
        // are skipped; read literally they would put a Knight on (0, 0) for the human.
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        ReadPieceLine(map, line, name, lineNumber);
    }
    if (map.rows.empty()) {
        Fail(name, 1, "no tile row");
    }
    return map;
}

std::vector<MapProblem> MisplacedPieces(const MapFile& map)
{
    std::vector<MapProblem> problems;
    if (map.rows.empty()) {
        return problems;
    }
    const auto width = static_cast<int64_t>(map.rows.front().size());
    const auto height = static_cast<int64_t>(map.rows.size());
    // Per tile, the line of the piece that stands there first (0: none).
    std::vector<int32_t> holder(static_cast<size_t>(width * height), 0);
    for (const MapPiece& piece : map.pieces) {
        const std::string tile = "(" + std::to_string(piece.x) + ", " + std::to_string(piece.y) + ")";
        if (piece.x < 0 || piece.y < 0 || piece.x >= width || piece.y >= height) {
            problems.push_back({piece.line, "piece at " + tile + " is outside the " + std::to_string(width) + " x " +
                                                std::to_string(height) + " board"});
            continue;
        }
        int32_t& first = holder[static_cast<size_t>(piece.y * width + piece.x)];
        if (first != 0) {
            problems.push_back(
                {piece.line, "piece at " + tile + " shares its tile with the piece of line " + std::to_string(first)});
            continue;
        }
        first = piece.line;
    }
    return problems;
}

MapFile ParseMapText(const std::string& text, const std::string& name)
{
    MapFile map = ParseMapFormat(text, name);
    std::vector<MapProblem> misplaced = MisplacedPieces(map);
    if (!misplaced.empty()) {
        Fail(name, misplaced.front().line, misplaced.front().what);
    }
    return map;
}

std::string ReadMapText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw MapFileError(path + ": cannot open the map file");
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) {
        throw MapFileError(path + ": cannot read the map file");
    }
    return contents.str();
}

MapFile ReadMapFile(const std::string& path)
{
    return ParseMapText(ReadMapText(path), path);
}
