#include <algorithm>
#include <sstream>
#include <tuple>

#include "mapcheck/MapCheck.h"
#include "support/TestGame.h"

namespace {
using rows::PrintTo;
struct Expected {
    int line;
    std::string says;  // a phrase the message must contain
};

struct FixtureCase {
    std::string name;  // the fixture file
    std::vector<Expected> problems;  // exactly these, in line order
};

class MapCheckFixture : public testing::TestWithParam<FixtureCase> {};

// Piece lines start at line 5 in every fixture: three tile rows and the empty line come first.
const FixtureCase fixtureCases[] = {
    // A plain 5 x 3 field with a castle and a knight per side.
    {"mapcheck-ok.txt", {}},
    // The wall's one gap is grass (passable, cost 2) and holds a neutral castle:
    // pieces do not block the way, so the sides still meet.
    {"mapcheck-ok-gap-held.txt", {}},
    // Side 1 has a knight and an archer but no castle: a whole-map problem, line 1.
    {"mapcheck-side1-no-castle.txt", {{1, "side 1 owns no castle"}}},
    // The board is as wide as its first row (5), though row 2 is 7 long: x = 6 is off it;
    // so is y = -1.
    {"mapcheck-outside.txt", {{8, "(6, 1) is outside the 5 x 3 board"}, {9, "(2, -1) is outside"}}},
    // A knight on a wall (digit 2) and an archer on void (digit 3).
    {"mapcheck-on-wall.txt", {{8, "(3, 1) stands on an impassable tile"}, {9, "(3, 2) stands on an impassable tile"}}},
    // A neutral mage on the tile of side 1's knight (line 8): reported on the later line.
    {"mapcheck-shared-tile.txt", {{9, "(3, 1) shares its tile with the piece of line 8"}}},
    // Castle in the corner (0, 0): its right neighbour is a wall, the one below holds a knight,
    // the other two are off the board.
    {"mapcheck-castle-boxed.txt", {{5, "castle at (0, 0) has no free passable neighbour"}}},
    // A full wall column between the sides.
    {"mapcheck-sides-apart.txt", {{1, "no piece of side 0 can walk to a piece of side 1"}}},
    // The '4' on the second tile row is refused by the game's own loader.
    {"mapcheck-bad-digit.txt", {{2, "'4'"}}},
};

TEST_P(MapCheckFixture, ReportsExactlyTheBrokenRulesAtTheirLines)
{
    const FixtureCase& c = GetParam();
    std::string path = TestDataPath(c.name);
    std::vector<std::string> messages = CheckMapFile(path);
    std::string all;
    for (const std::string& message : messages) {
        all += "\n  " + message;
    }
    ASSERT_EQ(messages.size(), c.problems.size()) << c.name << " reported:" << all;
    for (size_t i = 0; i < messages.size(); ++i) {
        std::string prefix = path + ":" + std::to_string(c.problems[i].line) + ": ";
        EXPECT_EQ(messages[i].rfind(prefix, 0), 0u) << "expected line " << c.problems[i].line << ", got " << messages[i];
        EXPECT_NE(messages[i].find(c.problems[i].says), std::string::npos)
            << "expected \"" << c.problems[i].says << "\" in " << messages[i];
    }
}

// Test names from the fixture names: "mapcheck-ok-gap-held.txt" gives "ok_gap_held".
std::string FixtureName(const testing::TestParamInfo<FixtureCase>& info)
{
    std::string name = info.param.name.substr(9, info.param.name.size() - 13);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, MapCheckFixture, testing::ValuesIn(fixtureCases), FixtureName);

TEST(MapCheck, EachSideWithoutCastleIsNamed)
{
    // Only neutral castles: neither side owns one.
    MapFile map = ParseMapText("000\n\n3,0,0,0\n3,2,0,1\n", "t");
    map.pieces[0].side = -1;
    map.pieces[1].side = 7;
    std::vector<MapProblem> problems = CheckMap(map);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].what, "side 0 owns no castle");
    EXPECT_EQ(problems[1].what, "side 1 owns no castle");
    EXPECT_EQ(problems[0].line, 1);
    EXPECT_EQ(problems[1].line, 1);
}

TEST(MapCheck, SidesMeetAlongAWindingPathOnly)
{
    // The only way from (0, 0) to (4, 4) winds through the gaps at (4, 1) and (0, 3).
    std::string open =
        "00000\n"
        "22220\n"
        "00000\n"
        "02222\n"
        "00000\n"
        "\n"
        "3,0,0,0\n"
        "3,4,4,1\n";
    EXPECT_TRUE(CheckMap(ParseMapText(open, "t")).empty());

    std::string closed = open;
    closed[6 * 3] = '2';  // row 3, column 0: the second gap walled up
    std::vector<MapProblem> problems = CheckMap(ParseMapText(closed, "t"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].what, "no piece of side 0 can walk to a piece of side 1");
}

// Problems are printed as "file:line: problem"; the exit status follows the worst file.
TEST(MapCheckCommand, PrintsProblemsAndExitsWithTheWorstFilesStatus)
{
    std::string ok = TestDataPath("mapcheck-ok.txt");
    std::string broken = TestDataPath("mapcheck-castle-boxed.txt");
    const std::tuple<std::vector<std::string>, int, const char*> runs[] = {
        {{}, 2, "no file is bad usage"},
        {{"--strict", ok}, 2, "an unknown option is bad usage"},
        {{ok, GameDataPath("Map1.txt")}, 0, "every file passes"},
        {{"/nonexistent/map.txt"}, 1, "a file that cannot be opened is a problem, not bad usage"},
        {{ok, broken}, 1, "one file has a problem"},
    };
    for (const auto& [args, status, why] : runs) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunMapCheck(args, out, err), status) << why << "\nout: " << out.str() << "err: " << err.str();
        if (status == 1 && args.size() == 2) {
            EXPECT_EQ(out.str(), ok + ": ok\n" + broken +
                                     ":5: castle at (0, 0) has no free passable neighbour to place a bought unit on\n");
            EXPECT_EQ(err.str(), "");
        }
    }
}
}  // namespace
