#include <cstdio>

#include "board/MapFile.h"
#include "support/TestGame.h"

namespace {
// Rows, then "type,x,y,side" per piece, separated by blanks.
std::string MapText(const MapFile& map)
{
    std::string text;
    for (const std::string& row : map.rows) {
        text += row + " ";
    }
    for (const MapPiece& p : map.pieces) {
        text += std::to_string(p.type) + "," + std::to_string(p.x) + "," + std::to_string(p.y) + "," +
                std::to_string(p.side) + " ";
    }
    return text;
}

TEST(MapFileRead, GoodTextsAreReadAndBrokenOnesRefusedWithFileLineAndWhatIsWrong)
{
    const std::pair<const char*, const char*> texts[] = {
        // Carriage returns before line feeds are not part of the line.
        {"00010\r\n02010\r\n\r\n0,0,0,0\r\n3,2,1,-1\r\n", "00010 02010 0,0,0,0 3,2,1,-1 "},
        // Missing fields count as zero; blanks and a sign are accepted, characters after the digits ignored.
        {"0000000000000\n0000000000000\n0000000000000\n0000000000000\n\n2,5,3\n3\n 1, +4,\t2,  -1\n0,12abc,3 ,1x\n",
         "0000000000000 0000000000000 0000000000000 0000000000000 2,5,3,0 3,0,0,0 1,4,2,-1 0,12,3,1 "},
        // Read literally, each empty line would be four zeros: a Knight at (0, 0) for side 0.
        {"000\n000\n\n\n1,2,1,1\n\n   \n3,0,0,0\n\n", "000 000 1,2,1,1 3,0,0,0 "},
        {"000\n000\n\n1,2,1,1", "000 000 1,2,1,1 "},
        {"012\n301", "012 301 "},
        {"000\n00012\n000\n", "000 00012 000 "},
    };
    for (const auto& [text, read] : texts) {
        EXPECT_EQ(MapText(ParseMapText(text, "t")), read) << text;
    }
    // A board may be 1024 tiles wide and 1024 high; one more either way is refused below.
    const std::string side(1024, '0');
    std::string square;
    for (size_t y = 0; y < side.size(); ++y) {
        square += side + "\n";
    }
    const MapFile largest = ParseMapText(square + "\n3,1023,1023,1\n", "t");
    EXPECT_EQ(largest.rows.size(), 1024u);
    EXPECT_EQ(largest.pieces.size(), 1u);
    const std::string wide = side + "0\n", tall = square + side + "\n";
    // Every limit of the format, each refused on the line where it is broken, quoting the offence;
    // a file that cannot be read is refused with its path and the reason.
    const std::tuple<const char*, int, const char*> broken[] = {
        {"", 1, "row"},                                          // no tile row at all
        {"000\n0x0\n", 2, "x"},                                 // tile digits are 0-3 only
        {"000\r\n004\r\n", 2, "4"},
        {"0000\n00000\n000\n", 3, "row"},                       // shorter than the first row
        {"00\n\n0,0,0,0\n1,1,1,1,1\n", 4, "5"},               // at most type, x, y and side
        {"00\n\n4,0,0,0\n", 3, "4"},                            // types index the unit table
        {"00\n\n-1,0,0,0\n", 3, "-1"},
        {"00\n\n0,abc,0,0\n", 3, "abc"},
        {"00\n\n0,2147483648,0,0\n", 3, "2147483648"},        // fields are int32
        {"00\n\n0,0,-2147483649,0\n", 3, "-2147483649"},
        // Every piece stands on the board, alone on its tile: a castle off the board could never be
        // taken, and the board answers for one piece per tile.
        {"00\n\n3,2147483647,-2147483648,0\n", 3, "(2147483647, -2147483648) is outside the 2 x 1 board"},
        {"00\n\n1,-2147483648,2147483647,1\n", 3, "(-2147483648, 2147483647) is outside"},
        {"00\n00\n\n0,0,1,0\n0,2,1,1\n", 5, "(2, 1) is outside"},
        {"00\n00\n\n0,1,1,0\n\n1,1,1,1\n", 6, "(1, 1) shares its tile with the piece of line 4"},
        {"00\r\n\r\n0,0,0,0\r\n\r\n\r\n9,0,0,0\r\n", 6, "9"},  // blank piece lines still count
        {wide.c_str(), 1, "1025 tiles, more than the 1024"},    // a board's size stays exact in world units
        {tall.c_str(), 1025, "more than 1024 tile rows"},
        {nullptr, 0, " "},                                       // a missing file: path, then why
    };
    const std::string missing = "/tmp/torvane-no-such-map-file.txt";
    std::remove(missing.c_str());
    for (const auto& [text, line, what] : broken) {
        try {
            MapFile map = text != nullptr ? ParseMapText(text, "fixture.txt") : ReadMapFile(missing);
            ADD_FAILURE() << "accepted " << (text != nullptr ? text : missing);
        } catch (const MapFileError& error) {
            const std::string message = error.what();
            const std::string prefix = text != nullptr ? "fixture.txt:" + std::to_string(line) + ": " : missing + ":";
            EXPECT_EQ(message.rfind(prefix, 0), 0u) << "expected prefix \"" << prefix << "\" in: " << message;
            EXPECT_NE(message.find(what, prefix.size()), std::string::npos) << "\"" << what << "\" in: " << message;
        }
    }
}

// What the loader accepts but a game could not be played on is the map checker's business (its
// tests check the shipped study's maps); it does not ask for owners, so units without a side are
// looked for here.
TEST(ShippedMap, EachHasOwnedUnits)
{
    for (const char* name : {"Map1.txt", "Map2.txt", "TutorialMap.txt"}) {
        const std::string path = GameDataPath(name);
        for (const MapPiece& p : ReadMapFile(path).pieces) {
            EXPECT_TRUE(p.type == 3 || p.side == 0 || p.side == 1) << name << ": a unit without an owner, line " << p.line;
        }
    }
}
}  // namespace
