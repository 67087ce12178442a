#include <filesystem>
#include <fstream>
#include <sstream>

#include "board/MapFile.h"
#include "support/TestGame.h"

// Everything the fuzzer kept (its corpus) and everything that ever broke the loader either
// loads into a board the game can use or is refused with a message that says where.
TEST(MapFileFuzzRegression, EveryKeptInputLoadsOrIsRefusedCleanly)
{
    size_t inputs = 0;
    for (const char* folder : {"corpus", "crashers"}) {
        for (const auto& entry : std::filesystem::directory_iterator(TestDataPath("../fuzz/") + folder)) {
            const std::string name = entry.path().filename().string();
            std::stringstream contents;
            contents << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            const std::string text = contents.str();
            ++inputs;
            try {
                MapFile map = ParseMapText(text, name);
                ASSERT_FALSE(map.rows.empty()) << name;
                for (const std::string& row : map.rows) {
                    EXPECT_TRUE(row.size() >= map.rows.front().size() &&
                                row.find_first_not_of("0123") == std::string::npos)
                        << name << ": row " << row;
                }
                const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
                for (const MapPiece& piece : map.pieces) {
                    EXPECT_TRUE(piece.type >= 0 && piece.type <= 3 && piece.line >= 1 && piece.line <= lines)
                        << name << ": piece of type " << piece.type << " on line " << piece.line;
                }
            } catch (const MapFileError& error) {  // anything else thrown fails the test as it is
                EXPECT_EQ(std::string(error.what()).rfind(name + ":", 0), 0u) << error.what();
            }
        }
    }
    EXPECT_GE(inputs, 100u) << "the fuzz inputs were not found";
}
