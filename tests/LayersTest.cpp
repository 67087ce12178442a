#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {
// The folders of src/ from the bottom up; a file may include its own folder and folders of
// a lower layer only, so no folder ever depends on one above it and no circle can form.
const std::map<std::string, int> layerOf = {
    {"core", 0},                 // node tree, draw order, the root's interface
    {"input", 1},                // input manager, widgets, camera
    {"board", 2},  {"screens", 2},  // the game's state and rules; the study's screens
    {"player", 3}, {"ai", 3},    // the human side; the computer sides
    {"record", 4},               // the study record: its writer and reader
    {"study", 5},                // entry point, frame loop, scene sequence
};
}  // namespace

TEST(Layers, NoSourceIncludesAFolderOfItsOwnLayerOrAbove)
{
    const std::filesystem::path src = std::filesystem::path(TORVANE_SOURCE_DIR) / "src";
    const std::regex include(R"(^\s*#\s*include\s*"([A-Za-z_]+)/)");
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string folder = entry.path().lexically_relative(src).begin()->string();
        auto own = layerOf.find(folder);
        ASSERT_NE(own, layerOf.end()) << "src/" << folder << " has no layer: add it to the table";
        ++files;
        std::ifstream file(entry.path());
        std::string line;
        for (int number = 1; std::getline(file, line); ++number) {
            std::smatch match;
            if (!std::regex_search(line, match, include) || match[1] == folder) {
                continue;
            }
            auto other = layerOf.find(match[1]);
            EXPECT_TRUE(other != layerOf.end() && other->second < own->second)
                << entry.path().string() << ":" << number << " includes " << match[1] << "/ from " << folder
                << "/, which is not below it";
        }
    }
    EXPECT_GT(files, 40) << "the sources were not found under " << src;
}
