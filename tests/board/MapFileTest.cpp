#include <cstdio>

#include "board/MapFile.h"
#include "mapcheck/MapCheck.h"
#include "support/TestGame.h"

namespace {
using rows::PrintTo;

std::string RowsText(const MapFile& map)
{
    std::string text;
    for (const std::string& row : map.rows) {
        text += (text.empty() ? "" : " ") + row;
    }
    return text;
}

// "type,x,y,side" per piece, separated by blanks.
std::string PiecesText(const MapFile& map)
{
    std::string text;
    for (const MapPiece& p : map.pieces) {
        text += (text.empty() ? "" : " ") + std::to_string(p.type) + "," + std::to_string(p.x) + "," +
                std::to_string(p.y) + "," + std::to_string(p.side);
    }
    return text;
}

struct GoodMap {
    const char* name;
    const char* text;
    const char* rows;
    const char* pieces;
};

class MapFileReads : public testing::TestWithParam<GoodMap> {};

TEST_P(MapFileReads, RowsAndPieces)
{
    MapFile map = ParseMapText(GetParam().text, GetParam().name);
    EXPECT_EQ(RowsText(map), GetParam().rows);
    EXPECT_EQ(PiecesText(map), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MapFileReads,
    testing::Values(
        GoodMap{"CarriageReturnsBeforeLineFeedsAreNotPartOfTheLine",
                "00010\r\n02010\r\n00000\r\n\r\n0,0,0,0\r\n1,4,2,1\r\n3,2,1,-1\r\n", "00010 02010 00000",
                "0,0,0,0 1,4,2,1 3,2,1,-1"},
        // Missing fields count as zero.
        GoodMap{"TypeXAndYOnly", "0\n\n2,5,3\n", "0", "2,5,3,0"},
        GoodMap{"TypeOnly", "0\n\n3\n", "0", "3,0,0,0"},
        GoodMap{"FieldsAcceptLeadingBlanksAndASign", "0\n\n 1, +4,\t2,  -1\n", "0", "1,4,2,-1"},
        GoodMap{"CharactersAfterTheDigitsAreIgnored", "0\n\n0,12abc,3 ,1x\n", "0", "0,12,3,1"},
        GoodMap{"FieldsReachTheEndsOfTheInt32Range", "0\n\n3,2147483647,-2147483648,0\n", "0",
                "3,2147483647,-2147483648,0"},
        // Read literally, each empty line would be four zeros: a Knight at (0, 0) for side 0.
        GoodMap{"BlankPieceLinesAddNoKnight", "000\n000\n\n\n1,2,1,1\n\n   \n3,0,0,0\n\n", "000 000",
                "1,2,1,1 3,0,0,0"},
        GoodMap{"FinalLineFeedAddsNoKnight", "000\n000\n\n1,2,1,1\n", "000 000", "1,2,1,1"},
        GoodMap{"NoFinalLineFeed", "000\n000\n\n1,2,1,1", "000 000", "1,2,1,1"},
        GoodMap{"EndOfFileAfterTheRowsMeansNoPieces", "012\n301", "012 301", ""},
        GoodMap{"BlankLinesAfterTheRowsMeanNoPieces", "012\n301\n\n", "012 301", ""},
        GoodMap{"LongerRowsAreKeptWhole", "000\n00012\n000\n", "000 00012 000", ""}),
    [](const testing::TestParamInfo<GoodMap>& info) { return std::string(info.param.name); });

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

struct BadMap {
    const char* name;
    const char* text;
    int line;          // the line the message must point at
    const char* what;  // a piece of the offending input the message must quote
};

class MapFileRejects : public testing::TestWithParam<BadMap> {};

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
    [](const testing::TestParamInfo<BadMap>& info) { return std::string(info.param.name); });

class ShippedMap : public testing::TestWithParam<const char*> {};

// What the loader accepts but a game could not be played on is the map checker's business;
// it does not ask for owners, so units without a side are looked for here.
TEST_P(ShippedMap, IsAPlayableBoardAndLoadsUndecided)
{
    const std::string path = GameDataPath(GetParam());
    std::vector<std::string> problems = CheckMapFile(path);
    EXPECT_TRUE(problems.empty()) << problems.front();
    MapFile map = ReadMapFile(path);
    for (const MapPiece& p : map.pieces) {
        EXPECT_TRUE(p.type == 3 || p.side == 0 || p.side == 1) << "a unit without an owner on line " << p.line;
    }
    auto game = StartGame(path);
    // Both sides hold a castle, so the first end of turn decides nothing.
    EXPECT_FALSE(game->board->gameOver);
    EXPECT_EQ(game->board->currentTeam, 0);
}

INSTANTIATE_TEST_SUITE_P(DataFiles, ShippedMap, testing::Values("Map1.txt", "Map2.txt", "TutorialMap.txt"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string label = info.param;
                             return label.substr(0, label.find('.'));
                         });
}  // namespace
