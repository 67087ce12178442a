#include <sstream>

#include "mapcheck/MapCheck.h"
#include "support/TestGame.h"

namespace {
struct Expected {
    int line;
    std::string says;  // a phrase the message must contain
};

// Piece lines start at line 5 in every fixture: three tile rows and the empty line come first.
TEST(MapCheck, ReportsExactlyTheBrokenRulesOfEachFixtureAtTheirLines)
{
    const std::pair<std::string, std::vector<Expected>> fixtures[] = {
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
        std::string all;
        for (const std::string& message : messages) {
            all += "\n  " + message;
        }
        ASSERT_EQ(messages.size(), problems.size()) << name << " reported:" << all;
        for (size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages[i].rfind(path + ":" + std::to_string(problems[i].line) + ": ", 0), 0u) << messages[i];
            EXPECT_NE(messages[i].find(problems[i].says), std::string::npos) << messages[i];
        }
    }
}

TEST(MapCheck, SidesMeetAlongAWindingPathOnlyAndEachSideWithoutCastleIsNamed)
{
    // The only way from (0, 0) to (4, 4) winds through the gaps at (4, 1) and (0, 3).
    std::string open = "00000\n22220\n00000\n02222\n00000\n\n3,0,0,0\n3,4,4,1\n";
    EXPECT_TRUE(CheckMap(ParseMapText(open, "t")).empty());
    std::string closed = open;
    closed[6 * 3] = '2';  // row 3, column 0: the second gap walled up
    std::vector<MapProblem> problems = CheckMap(ParseMapText(closed, "t"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].what, "no piece of side 0 can walk to a piece of side 1");

    problems = CheckMap(ParseMapText("000\n\n3,0,0,-1\n3,2,0,7\n", "t"));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].what, "side 0 owns no castle");
    EXPECT_EQ(problems[1].what, "side 1 owns no castle");
}

// Problems are printed as "file:line: problem"; the exit status follows the worst file.
TEST(MapCheckCommand, PrintsProblemsAndExitsWithTheWorstFilesStatus)
{
    std::string ok = TestDataPath("mapcheck-ok.txt");
    std::string broken = TestDataPath("mapcheck-castle-boxed.txt");
    const std::tuple<std::vector<std::string>, int, const char*> runs[] = {
        {{}, 2, "no file is bad usage"},
        {{ok, GameDataPath("Map1.txt"), GameDataPath("Map2.txt")}, 0, "every file passes"},
        {{"/nonexistent/map.txt"}, 1, "a file that cannot be opened is a problem, not bad usage"},
        {{ok, broken}, 1, "one file has a problem"},
    };
    for (const auto& [args, status, why] : runs) {
        std::ostringstream out, err;
        EXPECT_EQ(RunMapCheck(args, out, err), status) << why << "\nout: " << out.str() << "err: " << err.str();
    }
    std::ostringstream out, err;
    RunMapCheck({ok, broken}, out, err);
    EXPECT_EQ(out.str(), ok + ": ok\n" + broken +
                             ":5: castle at (0, 0) has no free passable neighbour to place a bought unit on\n");
}
}  // namespace
