#include <fstream>
#include <sstream>

#include "mapcheck/MapCheck.h"
#include "support/TestGame.h"

namespace {
// Piece lines start at line 5 in every fixture: three tile rows and the empty line come first.
// Each problem is reported as "file:line: problem".
TEST(MapCheck, ReportsExactlyTheBrokenRulesOfEachFixtureAtTheirLines)
{
    const std::pair<std::string, std::vector<std::pair<int, std::string>>> fixtures[] = {
        {"mapcheck-ok.txt", {}},
        // The wall's one gap is passable grass holding a neutral castle: pieces do not block the way.
        {"mapcheck-ok-gap-held.txt", {}},
        {"mapcheck-side1-no-castle.txt", {{1, "side 1 owns no castle"}}},
        // The board is as wide as its first row (5), though row 2 is 7 long.
        {"mapcheck-outside.txt", {{8, "(6, 1) is outside the 5 x 3 board"}, {9, "(2, -1) is outside"}}},
        {"mapcheck-on-wall.txt", {{8, "(3, 1) stands on an impassable tile"}, {9, "(3, 2) stands on an impassable"}}},
        {"mapcheck-shared-tile.txt", {{9, "(3, 1) shares its tile with the piece of line 8"}}},
        // Right a wall, below a Knight, the other two off the board.
        {"mapcheck-castle-boxed.txt", {{5, "castle at (0, 0) has no free passable neighbour"}}},
        {"mapcheck-sides-apart.txt", {{1, "no piece of side 0 can walk to a piece of side 1"}}},
        {"mapcheck-bad-digit.txt", {{2, "'4'"}}},
    };
    for (const auto& [name, problems] : fixtures) {
        const std::string path = TestDataPath(name);
        std::vector<std::string> messages = CheckMapFile(path);
        ASSERT_EQ(messages.size(), problems.size()) << name << " reported: " << testing::PrintToString(messages);
        for (size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages[i].rfind(path + ":" + std::to_string(problems[i].first) + ": ", 0), 0u) << messages[i];
            EXPECT_NE(messages[i].find(problems[i].second), std::string::npos) << messages[i];
        }
    }
    // The only way from (0, 0) to (4, 4) winds through the gaps at (4, 1) and (0, 3) (sides walled
    // apart are the fixture's). Each side without a castle is named.
    const std::pair<const char*, std::string> maps[] = {
        {"00000\n22220\n00000\n02222\n00000\n\n3,0,0,0\n3,4,4,1\n", ""},
        {"000\n\n3,0,0,-1\n3,2,0,7\n", "side 0 owns no castle.side 1 owns no castle."},
    };
    for (const auto& [text, expected] : maps) {
        std::string found;
        for (const MapProblem& problem : CheckMap(ParseMapText(text, "t"))) {
            found += problem.what + ".";
        }
        EXPECT_EQ(found, expected) << text;
    }
}

// The exit status follows the worst file: 2 for bad usage, 1 when any file has a problem or cannot be
// opened, 0 when every file passes.
TEST(MapCheckCommand, PrintsProblemsAndExitsWithTheWorstFilesStatus)
{
    const std::string ok = TestDataPath("mapcheck-ok.txt");
    const std::string broken = TestDataPath("mapcheck-castle-boxed.txt");
    const std::pair<std::vector<std::string>, int> runs[] = {
        {{}, 2}, {{ok, GameDataPath("Map1.txt"), GameDataPath("Map2.txt")}, 0}, {{"/nonexistent/map.txt"}, 1},
        {{ok, broken}, 1},
    };
    for (const auto& [args, status] : runs) {
        std::ostringstream out, err;
        EXPECT_EQ(RunMapCheck(args, out, err), status) << "out: " << out.str() << "err: " << err.str();
        if (args.size() == 2) {
            EXPECT_EQ(out.str(), ok + ": ok\n" + broken +
                                     ":5: castle at (0, 0) has no free passable neighbour to place a bought unit on\n");
        }
    }
}

// A study file is read as the game reads it, then every map it names is checked once: the shipped
// study passes; one whose practice game draws from a boxed-in castle's map reports that map's line,
// and one that names a map that is not there reports the study's line.
TEST(MapCheckCommand, ChecksAStudyFileAndEveryMapItNames)
{
    std::ostringstream out, err;
    EXPECT_EQ(RunMapCheck({GameDataPath("study.toml")}, out, err), 0) << out.str() << err.str();
    EXPECT_EQ(out.str(), GameDataPath("study.toml") + ": ok\n");

    const std::string text = FileText(GameDataPath("study.toml"));
    const std::string twoMaps = "maps = [\"Map1.txt\", \"Map2.txt\"]";
    const std::string boxed = TestDataPath("mapcheck-castle-boxed.txt");
    const auto practice = text.find(twoMaps);
    ASSERT_NE(practice, std::string::npos);
    const auto line = std::to_string(1 + std::count(text.begin(), text.begin() + static_cast<long>(practice), '\n'));
    const std::pair<std::string, std::string> studies[] = {
        {"maps = [\"" + boxed + "\", \"" + GameDataPath("Map1.txt") + "\"]",
         boxed + ":5: castle at (0, 0) has no free passable neighbour"},
        {"maps = \"" + GameDataPath("Map9.txt") + "\"", ":" + line + ": the map file \"" + GameDataPath("Map9.txt")},
    };
    for (const auto& [maps, expected] : studies) {
        // Elsewhere than the maps: the other boards name theirs by their whole paths.
        std::string study = std::string(text).replace(practice, twoMaps.size(), maps);
        for (const std::string name : {"\"TutorialMap.txt\"", "\"Map1.txt\"", "\"Map2.txt\""}) {
            for (auto at = study.find(name); at != std::string::npos; at = study.find(name, at + 1)) {
                study.replace(at, name.size(), "\"" + GameDataPath(name.substr(1)));
            }
        }
        const std::string path = "/tmp/torvane-test-" + std::to_string(getpid()) + "-study.toml";
        std::ofstream(path) << study;
        std::ostringstream report, problems;
        EXPECT_EQ(RunMapCheck({path}, report, problems), 1) << report.str();
        EXPECT_NE(report.str().find(expected), std::string::npos) << report.str();
        std::remove(path.c_str());
    }
}
}  // namespace
