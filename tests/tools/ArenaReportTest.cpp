#include <gtest/gtest.h>
#include <sstream>

#include "arena/ArenaReport.h"

namespace {
PlayedGame Played(int index, bool aIsSideZero, int winner, int turns, const std::string& map = "maps/Map1.txt")
{
    return {{.index = index, .seed = 100 + static_cast<uint32_t>(index), .pair = {"minimax", "hps"}, .map = map,
             .aIsSideZero = aIsSideZero},
            {.winner = winner, .turns = turns, .capped = winner < 0, .turnLog = {}, .finalBoard = {}}};
}

// Think time per turn: side 0 minimax, side 1 hps, 3 pieces.
std::vector<TurnRecord> Turns(const std::vector<double>& seconds)
{
    std::vector<TurnRecord> turns;
    for (size_t i = 0; i < seconds.size(); ++i) {
        turns.push_back({.side = static_cast<int>(i % 2), .kind = i % 2 ? "hps" : "minimax", .pieces = 3,
                         .thinkSeconds = seconds[i]});
    }
    return turns;
}

// The cells of the table's row with that label, one blank apart.
std::string RowOf(const std::vector<PlayedGame>& games, const std::string& label)
{
    std::ostringstream out;
    WriteResultTable(games, out);
    std::istringstream lines(out.str());
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
    return "no row " + label + " in\n" + out.str();
}

// The study's comparison rests on these counts: a win is the opponent's, whichever seat it had.
TEST(ArenaTable, CountsOutcomesPerOpponentMapAndSideOrder)
{
    EXPECT_EQ(OutcomeOf(Played(0, false, 0, 9)), Outcome::BWins);
    EXPECT_EQ(OutcomeOf(Played(0, false, 1, 9)), Outcome::AWins);
    EXPECT_EQ(OutcomeOf(Played(0, true, -1, 9)), Outcome::Draw);
    std::vector<PlayedGame> games = {Played(0, true, 0, 10), Played(1, false, 0, 20),
                                     Played(2, true, -1, 60, "maps/Map2.txt"), Played(3, false, 1, 30, "maps/Map2.txt")};
    // games, A wins, B wins, draws, mean turns
    EXPECT_EQ(RowOf(games, "all"), "4 2 1 1 30.0");
    EXPECT_EQ(RowOf(games, "Map2.txt"), "2 1 0 1 45.0");
    EXPECT_EQ(RowOf(games, "B as side 0 (moves 1st)"), "2 1 1 0 25.0");
    // Think time per opponent: turns, median, p95 (nearest rank), max in ms.
    games[0].result.turnLog = Turns({0.001, 0.010, 0.003, 0.020, 0.002});
    EXPECT_EQ(RowOf({games[0]}, "minimax"), "3 2.000 3.000 3.000");
    EXPECT_EQ(NearestRank({20, 3, 19, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 1, 2}, 0.95), 19.0);
    EXPECT_EQ(Median({4.0, 1.0, 3.0, 2.0}), 2.5);
}

TEST(ArenaFiles, OneCsvRowPerGameAndPerTurn)
{
    PlayedGame first = Played(0, true, 0, 2, "odd,name.txt");
    first.result.turnLog = Turns({0.001, 0.002});
    std::ostringstream games, turns;
    WriteGamesCsv({first, Played(1, false, -1, 1)}, games);
    std::istringstream lines(games.str());
    std::string header, row;
    std::getline(lines, header);
    // The comma in the map's name is quoted; side 0 (minimax, A) won.
    std::getline(lines, row);
    EXPECT_EQ(row.rfind("0,100,minimax:hps,\"odd,name.txt\",minimax,hps,0,minimax,A,2,0,", 0), 0u) << row;
    std::getline(lines, row);
    EXPECT_EQ(row.rfind("1,101,minimax:hps,maps/Map1.txt,hps,minimax,-1,none,draw,1,1,", 0), 0u) << row;
    EXPECT_FALSE(std::getline(lines, row)) << "one row per game: " << row;
    WriteTurnsCsv({first}, turns);
    EXPECT_EQ(turns.str(), "game,turn,side,controller,pieces,units,think_ms\n0,1,0,minimax,3,0,1.0000\n"
                           "0,2,1,hps,3,0,2.0000\n");
}
}  // namespace
