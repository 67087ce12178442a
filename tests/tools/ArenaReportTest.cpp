#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "arena/ArenaReport.h"

namespace {
PlayedGame Played(int index, bool aIsSideZero, int winner, int turns, const std::string& map = "maps/Map1.txt")
{
    return {{.index = index, .seed = 100 + static_cast<uint32_t>(index), .pair = {"minimax", "hps"}, .map = map,
             .aIsSideZero = aIsSideZero},
            {.winner = winner, .turns = turns, .capped = winner < 0, .turnLog = {}, .finalBoard = {}}};
}

TurnRecord Turn(int side, const std::string& kind, int pieces, double seconds)
{
    return {.side = side, .kind = kind, .pieces = pieces, .thinkSeconds = seconds};
}

std::string ResultTable(const std::vector<PlayedGame>& games)
{
    std::ostringstream out;
    WriteResultTable(games, out);
    return out.str();
}

// The cells of the table's row with that label, one blank apart.
std::string RowOf(const std::string& table, const std::string& label)
{
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  " + label + " ", 0) == 0) {
            std::istringstream words(line.substr(label.size() + 2));
            std::string row;
            for (std::string word; words >> word;) {
                row += (row.empty() ? "" : " ") + word;
            }
            return row;
        }
    }
    return "no row " + label;
}

TEST(ArenaStatistics, NearestRankAndMedian)
{
    std::vector<double> twenty;
    for (int i = 20; i >= 1; --i) {
        twenty.push_back(i);  // unsorted on purpose
    }
    // 95 % of 20 values is 19 of them: the 19th smallest.
    EXPECT_EQ(NearestRank(twenty, 0.95), 19.0);
    EXPECT_EQ(NearestRank(twenty, 1.0), 20.0);
    // 95 % of 3 values rounds up to all 3: the largest.
    EXPECT_EQ(NearestRank({5.0, 1.0, 3.0}, 0.95), 5.0);
    EXPECT_EQ(NearestRank({}, 0.95), 0.0);
    EXPECT_EQ(Median({3.0, 1.0, 2.0}), 2.0);
    EXPECT_EQ(Median({4.0, 1.0, 3.0, 2.0}), 2.5);
    EXPECT_EQ(Median({}), 0.0);
}

TEST(ArenaStatistics, OutcomeFollowsTheOpponentNotTheSide)
{
    EXPECT_EQ(OutcomeOf(Played(0, true, 0, 9)), Outcome::AWins);   // A on side 0, side 0 won
    EXPECT_EQ(OutcomeOf(Played(0, false, 0, 9)), Outcome::BWins);  // B on side 0, side 0 won
    EXPECT_EQ(OutcomeOf(Played(0, false, 1, 9)), Outcome::AWins);  // A on side 1, side 1 won
    EXPECT_EQ(OutcomeOf(Played(0, true, -1, 9)), Outcome::Draw);
}

TEST(ArenaTable, CountsPerMapAndSideOrder)
{
    std::vector<PlayedGame> games = {
        Played(0, true, 0, 10),                     // A wins on Map1 as side 0
        Played(1, false, 0, 20),                    // B wins on Map1 as side 0
        Played(2, true, -1, 60, "maps/Map2.txt"),   // draw on Map2
        Played(3, false, 1, 30, "maps/Map2.txt"),   // A wins on Map2 as side 1
    };
    const std::string table = ResultTable(games);
    // games, A wins, B wins, draws, mean turns
    EXPECT_EQ(RowOf(table, "all"), "4 2 1 1 30.0") << table;
    EXPECT_EQ(RowOf(table, "Map1.txt"), "2 1 1 0 15.0") << table;
    EXPECT_EQ(RowOf(table, "Map2.txt"), "2 1 0 1 45.0") << table;
    EXPECT_EQ(RowOf(table, "A as side 0 (moves 1st)"), "2 1 0 1 35.0") << table;
    EXPECT_EQ(RowOf(table, "B as side 0 (moves 1st)"), "2 1 1 0 25.0") << table;
}

TEST(ArenaTable, ThinkTimePerOpponentAndByPieces)
{
    PlayedGame game = Played(0, true, 0, 4);
    // minimax: 1, 2, 3 ms; hps: 10 and 30 ms, both with 5 pieces.
    game.result.turnLog = {Turn(0, "minimax", 3, 0.001), Turn(1, "hps", 5, 0.010), Turn(0, "minimax", 4, 0.003),
                           Turn(1, "hps", 5, 0.030), Turn(0, "minimax", 4, 0.002)};
    const std::string table = ResultTable({game});
    // turns, median, p95, max
    EXPECT_EQ(RowOf(table, "minimax"), "3 2.000 3.000 3.000") << table;
    EXPECT_EQ(RowOf(table, "hps"), "2 20.000 30.000 30.000") << table;
    // Mean by pieces, with the number of turns in brackets.
    EXPECT_EQ(RowOf(table, "4"), "2.500 (2) -") << table;
    EXPECT_EQ(RowOf(table, "5"), "- 20.000 (2)") << table;
}

TEST(ArenaFiles, OneCsvRowPerGameAndPerTurnAndOnePointPerTurn)
{
    PlayedGame first = Played(0, true, 0, 2, "odd,name.txt");
    first.result.turnLog = {Turn(0, "minimax", 3, 0.001), Turn(1, "hps", 3, 0.002)};
    PlayedGame second = Played(1, false, -1, 1);
    second.result.turnLog = {Turn(0, "hps", 3, 0.004)};
    std::vector<PlayedGame> games = {first, second};

    std::ostringstream gamesCsv;
    WriteGamesCsv(games, gamesCsv);
    std::istringstream gameLines(gamesCsv.str());
    std::string header;
    std::string row;
    std::getline(gameLines, header);
    EXPECT_EQ(header.rfind("game,seed,pair,map,", 0), 0u) << header;
    std::getline(gameLines, row);
    // The comma in the map's name is quoted; side 0 (minimax, A) won.
    EXPECT_EQ(row.rfind("0,100,minimax:hps,\"odd,name.txt\",minimax,hps,0,minimax,A,2,0,", 0), 0u) << row;
    std::getline(gameLines, row);
    EXPECT_EQ(row.rfind("1,101,minimax:hps,maps/Map1.txt,hps,minimax,-1,none,draw,1,1,", 0), 0u) << row;
    EXPECT_FALSE(std::getline(gameLines, row)) << "one row per game: " << row;

    std::ostringstream turnsCsv;
    WriteTurnsCsv(games, turnsCsv);
    EXPECT_EQ(turnsCsv.str(),
              "game,turn,side,controller,pieces,units,think_ms\n"
              "0,1,0,minimax,3,0,1.0000\n"
              "0,2,1,hps,3,0,2.0000\n"
              "1,1,0,hps,3,0,4.0000\n");

    std::ostringstream svg;
    WriteThinkTimeSvg(games, svg);
    std::string text = svg.str();
    EXPECT_EQ(text.rfind("<svg ", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 7), "</svg>\n");
    size_t points = 0;
    for (size_t at = text.find("<circle"); at != std::string::npos; at = text.find("<circle", at + 1)) {
        ++points;
    }
    EXPECT_EQ(points, 3u) << "one point per planned turn";
}
}  // namespace
