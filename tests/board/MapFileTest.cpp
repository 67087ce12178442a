#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/MapFile.h"
#include "support/TestGame.h"

namespace {
std::string Describe(const MapPiece& p)
{
    return "{" + std::to_string(p.type) + "," + std::to_string(p.x) + "," + std::to_string(p.y) + "," +
           std::to_string(p.side) + "}";
}

std::string Describe(const std::vector<MapPiece>& pieces)
{
    std::string text;
    for (const MapPiece& p : pieces) {
        text += Describe(p) + " ";
    }
    return text;
}

bool SamePieces(const std::vector<MapPiece>& actual, const std::vector<MapPiece>& expected)
{
    if (actual.size() != expected.size()) {
        return false;
    }
    for (size_t i = 0; i < actual.size(); ++i) {
        const MapPiece& a = actual[i];
        const MapPiece& e = expected[i];
        if (a.type != e.type || a.x != e.x || a.y != e.y || a.side != e.side) {
            return false;
        }
    }
    return true;
}

// The example board: three rows of five, a Knight, an Archer and a neutral castle.
const std::vector<std::string> exampleRows = {"00010", "02010", "00000"};
const std::vector<MapPiece> examplePieces = {{0, 0, 0, 0}, {1, 4, 2, 1}, {3, 2, 1, -1}};
}  // namespace

TEST(MapFileRead, ExampleFileGivesItsRowsAndPieces)
{
    MapFile map = ReadMapFile(TestDataPath("board-example.txt"));
    EXPECT_EQ(map.rows, exampleRows);
    EXPECT_TRUE(SamePieces(map.pieces, examplePieces)) << Describe(map.pieces);
    ASSERT_EQ(map.pieces.size(), 3u);
    // Lines 5-7 of the file: the rows, the empty line, then the pieces.
    EXPECT_EQ(map.pieces[0].line, 5);
    EXPECT_EQ(map.pieces[2].line, 7);
}

TEST(MapFileRead, CarriageReturnsBeforeLineFeedsAreNotPartOfTheLine)
{
    MapFile map = ParseMapText("00010\r\n02010\r\n00000\r\n\r\n0,0,0,0\r\n1,4,2,1\r\n3,2,1,-1\r\n", "crlf");
    EXPECT_EQ(map.rows, exampleRows);
    EXPECT_TRUE(SamePieces(map.pieces, examplePieces)) << Describe(map.pieces);
}

TEST(MapFileRead, MissingFieldsCountAsZero)
{
    // Only type, x and y: a Mage at (5, 3) for side 0.
    MapFile map = ParseMapText("0\n\n2,5,3\n", "three");
    ASSERT_EQ(map.pieces.size(), 1u);
    EXPECT_TRUE(SamePieces(map.pieces, {{2, 5, 3, 0}})) << Describe(map.pieces);

    MapFile single = ParseMapText("0\n\n3\n", "one");
    EXPECT_TRUE(SamePieces(single.pieces, {{3, 0, 0, 0}})) << Describe(single.pieces);
}

TEST(MapFileRead, FieldsAcceptLeadingBlanksAndASign)
{
    MapFile map = ParseMapText("0\n\n 1, +4,\t2,  -1\n", "signs");
    EXPECT_TRUE(SamePieces(map.pieces, {{1, 4, 2, -1}})) << Describe(map.pieces);
}

TEST(MapFileRead, CharactersAfterTheDigitsAreIgnored)
{
    MapFile map = ParseMapText("0\n\n0,12abc,3 ,1x\n", "trailing");
    EXPECT_TRUE(SamePieces(map.pieces, {{0, 12, 3, 1}})) << Describe(map.pieces);
}

TEST(MapFileRead, FieldsReachTheEndsOfTheInt32Range)
{
    MapFile map = ParseMapText("0\n\n3,2147483647,-2147483648,0\n", "limits");
    EXPECT_TRUE(SamePieces(map.pieces, {{3, 2147483647, -2147483647 - 1, 0}})) << Describe(map.pieces);
}

TEST(MapFileRead, BlankPieceLinesAndTheFinalLineFeedAddNoKnight)
{
    // Read literally, each empty line would be four zeros: a Knight at (0, 0) for side 0.
    MapFile map = ParseMapText("000\n000\n\n\n1,2,1,1\n\n   \n3,0,0,0\n\n", "blanks");
    EXPECT_TRUE(SamePieces(map.pieces, {{1, 2, 1, 1}, {3, 0, 0, 0}})) << Describe(map.pieces);

    MapFile withoutFinalFeed = ParseMapText("000\n000\n\n1,2,1,1", "nofeed");
    MapFile withFinalFeed = ParseMapText("000\n000\n\n1,2,1,1\n", "feed");
    EXPECT_TRUE(SamePieces(withoutFinalFeed.pieces, {{1, 2, 1, 1}})) << Describe(withoutFinalFeed.pieces);
    EXPECT_TRUE(SamePieces(withFinalFeed.pieces, {{1, 2, 1, 1}})) << Describe(withFinalFeed.pieces);
}

TEST(MapFileRead, EndOfFileAfterTheRowsMeansNoPieces)
{
    MapFile map = ParseMapText("012\n301", "rowsonly");
    EXPECT_EQ(map.rows, (std::vector<std::string>{"012", "301"}));
    EXPECT_TRUE(map.pieces.empty());

    MapFile blankEnd = ParseMapText("012\n301\n\n", "rowsthenblank");
    EXPECT_EQ(blankEnd.rows.size(), 2u);
    EXPECT_TRUE(blankEnd.pieces.empty());
}

TEST(MapFileRead, LongerRowsAreKeptWhole)
{
    MapFile map = ParseMapText("000\n00012\n000\n", "long");
    EXPECT_EQ(map.rows, (std::vector<std::string>{"000", "00012", "000"}));
}

TEST(MapFileRead, MissingFileNamesThePathAndTheReason)
{
    const std::string path = "/tmp/torvane-no-such-map-file.txt";
    std::remove(path.c_str());
    try {
        ReadMapFile(path);
        FAIL() << "a missing file must not read as a board";
    } catch (const MapFileError& error) {
        std::string message = error.what();
        EXPECT_EQ(message.rfind(path + ":", 0), 0u) << message;
        EXPECT_GT(message.size(), path.size() + 2) << "no reason given: " << message;
    }
}

namespace {
struct BadMap {
    const char* label;
    const char* text;
    int line;          // the line the message must point at
    const char* what;  // a piece of the offending input the message must quote
};

void PrintTo(const BadMap& bad, std::ostream* out)
{
    *out << bad.label;
}

class MapFileRejects : public testing::TestWithParam<BadMap> {};
}  // namespace

TEST_P(MapFileRejects, WithFileLineAndWhatIsWrong)
{
    const BadMap& bad = GetParam();
    const std::string name = "fixture.txt";
    try {
        MapFile map = ParseMapText(bad.text, name);
        FAIL() << "accepted " << map.rows.size() << " rows and " << map.pieces.size() << " pieces";
    } catch (const MapFileError& error) {
        std::string message = error.what();
        std::string prefix = name + ":" + std::to_string(bad.line) + ": ";
        EXPECT_EQ(message.rfind(prefix, 0), 0u) << "expected prefix \"" << prefix << "\" in: " << message;
        EXPECT_NE(message.find(bad.what, prefix.size()), std::string::npos)
            << "expected \"" << bad.what << "\" after the prefix in: " << message;
    }
}

// Every limit of the format, each on the line where it is broken.
INSTANTIATE_TEST_SUITE_P(
    BrokenFiles, MapFileRejects,
    testing::Values(
        // No tile row at all: the rows would start on line 1.
        BadMap{"EmptyFile", "", 1, "row"},
        BadMap{"BlankFirstLine", "\n0,0,0,0\n", 1, "row"},
        // Tile digits are 0-3 only; the column does not matter, the line does.
        BadMap{"LetterInSecondRow", "000\n0x0\n", 2, "x"},
        BadMap{"DigitFour", "000\n000\n004\n", 3, "4"},
        BadMap{"LetterAfterCrLf", "000\r\n0a0\r\n", 2, "a"},
        // A row shorter than the first would be read past its end.
        BadMap{"ShortSecondRow", "0000\n000\n", 2, "row"},
        BadMap{"ShortRowAfterALongOne", "0000\n00000\n000\n", 3, "row"},
        // At most type, x, y and side.
        BadMap{"FiveNumbers", "00\n\n0,0,0,0\n1,1,1,1,1\n", 4, "5"},
        // Types index the unit table, 0-3.
        BadMap{"TypeFour", "00\n\n4,0,0,0\n", 3, "4"},
        BadMap{"NegativeType", "00\n\n-1,0,0,0\n", 3, "-1"},
        // Fields must hold digits.
        BadMap{"WordField", "00\n\n0,abc,0,0\n", 3, "abc"},
        BadMap{"SignWithoutDigits", "00\n\n0,0,-,0\n", 3, "-"},
        BadMap{"BlankField", "00\n\n0, ,0,0\n", 3, "2"},
        // Fields are int32.
        BadMap{"OnePastIntMax", "00\n\n0,2147483648,0,0\n", 3, "2147483648"},
        BadMap{"OnePastIntMin", "00\n\n0,0,-2147483649,0\n", 3, "-2147483649"},
        BadMap{"BeyondSixtyFourBits", "00\n\n0,0,0,99999999999999999999\n", 3, "99999999999999999999"},
        // Blank piece lines still count as lines.
        BadMap{"LineCountSurvivesBlankLinesAndCrLf", "00\r\n\r\n0,0,0,0\r\n\r\n\r\n9,0,0,0\r\n", 6, "9"}),
    [](const testing::TestParamInfo<BadMap>& info) { return std::string(info.param.label); });

namespace {
class ShippedMap : public testing::TestWithParam<const char*> {};

bool Passable(char digit)
{
    return digit == '0' || digit == '1';
}
}  // namespace

TEST_P(ShippedMap, IsAPlayableBoard)
{
    const std::string name = GetParam();
    MapFile map;
    ASSERT_NO_THROW(map = ReadMapFile(GameDataPath(name)));
    ASSERT_FALSE(map.rows.empty());
    const int width = static_cast<int>(map.rows.front().size());
    const int height = static_cast<int>(map.rows.size());
    auto tileAt = [&](int x, int y) { return map.rows[static_cast<size_t>(y)][static_cast<size_t>(x)]; };

    std::set<std::pair<int, int>> occupied;
    bool humanCastle = false;
    bool aiCastle = false;
    for (const MapPiece& p : map.pieces) {
        SCOPED_TRACE("line " + std::to_string(p.line) + " " + Describe(p));
        ASSERT_TRUE(p.x >= 0 && p.x < width && p.y >= 0 && p.y < height) << "outside the " << width << "x" << height
                                                                          << " board";
        EXPECT_TRUE(Passable(tileAt(p.x, p.y))) << "stands on tile '" << tileAt(p.x, p.y) << "'";
        EXPECT_TRUE(occupied.insert({p.x, p.y}).second) << "shares its tile with another piece";
        if (p.type == 3) {
            humanCastle = humanCastle || p.side == 0;
            aiCastle = aiCastle || p.side == 1;
        } else {
            EXPECT_TRUE(p.side == 0 || p.side == 1) << "a unit without an owner";
        }
    }
    EXPECT_TRUE(humanCastle) << "side 0 owns no castle";
    EXPECT_TRUE(aiCastle) << "side 1 owns no castle";

    // Every castle can place a bought unit somewhere.
    const int offsets[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (const MapPiece& p : map.pieces) {
        if (p.type != 3) {
            continue;
        }
        bool free = false;
        for (const auto& d : offsets) {
            int x = p.x + d[0];
            int y = p.y + d[1];
            if (x >= 0 && x < width && y >= 0 && y < height && Passable(tileAt(x, y)) && occupied.count({x, y}) == 0) {
                free = true;
            }
        }
        EXPECT_TRUE(free) << "castle at (" << p.x << ", " << p.y << ") on line " << p.line << " has no free neighbour";
    }
}

TEST_P(ShippedMap, LoadsOntoABoardUndecided)
{
    const std::string name = GetParam();
    MapFile map = ReadMapFile(GameDataPath(name));
    auto game = StartGame(GameDataPath(name));
    ASSERT_EQ(game->board->tiles.size(), map.rows.size());
    EXPECT_EQ(game->board->GetUnits().size(), map.pieces.size());
    // Both sides hold a castle, so the first end of turn decides nothing.
    EXPECT_FALSE(game->board->gameOver);
    EXPECT_EQ(game->board->currentTeam, 0);
}

INSTANTIATE_TEST_SUITE_P(DataFiles, ShippedMap, testing::Values("Map1.txt", "Map2.txt", "TutorialMap.txt"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string label = info.param;
                             return label.substr(0, label.find('.'));
                         });
