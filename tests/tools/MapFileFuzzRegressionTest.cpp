#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "board/MapFile.h"
#include "support/TestGame.h"

namespace {
// Everything the fuzzer kept (its corpus) and everything that ever broke the loader.
std::vector<std::filesystem::path> FuzzInputs()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TestDataPath("../fuzz"))) {
        std::string folder = entry.path().parent_path().filename().string();
        if (entry.is_regular_file() && (folder == "corpus" || folder == "crashers") &&
            entry.path().filename() != ".gitkeep") {
            files.push_back(entry.path());
        }
    }
    return files;
}

// What the board relies on from a map the loader accepted.
std::string BrokenPromise(const MapFile& map, const std::string& text)
{
    if (map.rows.empty()) {
        return "no tile row";
    }
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (const std::string& row : map.rows) {
        if (row.size() < map.rows.front().size()) {
            return "a row shorter than the first";
        }
        if (row.find_first_not_of("0123") != std::string::npos) {
            return "a tile character outside 0-3";
        }
    }
    for (const MapPiece& piece : map.pieces) {
        if (piece.type < 0 || piece.type > 3) {
            return "piece type " + std::to_string(piece.type);
        }
        if (piece.line < 1 || static_cast<size_t>(piece.line) > lines) {
            return "piece line number " + std::to_string(piece.line);
        }
    }
    return "";
}

TEST(MapFileFuzzRegression, EveryKeptInputLoadsOrIsRefusedCleanly)
{
    std::vector<std::filesystem::path> inputs = FuzzInputs();
    // The corpus is seeded with the shipped maps at least.
    ASSERT_GE(inputs.size(), 2u) << "no fuzz inputs found";
    for (const std::filesystem::path& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream contents;
        contents << file.rdbuf();
        std::string text = contents.str();
        try {
            MapFile map = ParseMapText(text, path.filename().string());
            EXPECT_EQ(BrokenPromise(map, text), "") << path;
        } catch (const MapFileError& error) {
            // A refusal must say where: "name:line: what".
            std::string message = error.what();
            EXPECT_EQ(message.rfind(path.filename().string() + ":", 0), 0u) << path << ": " << message;
        } catch (const std::exception& error) {
            ADD_FAILURE() << path << " threw something else than MapFileError: " << error.what();
        }
    }
}
}  // namespace
