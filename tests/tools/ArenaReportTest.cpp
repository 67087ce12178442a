#include <gtest/gtest.h>
#include <sstream>

#include "arena/ArenaReport.h"

namespace {
// A game of minimax (A) against hps (B); think times per turn in seconds, side 0 first, 3 pieces.
PlayedGame Played(bool aIsSideZero, int winner, int turns, const std::string& map = "maps/Map1.txt",
                  const std::vector<double>& seconds = {})
{
    PlayedGame game{{.seed = 100, .pair = {"minimax", "hps"}, .map = map, .aIsSideZero = aIsSideZero},
                    {.winner = winner, .turns = turns, .capped = winner < 0, .turnLog = {}, .finalBoard = {}}};
    for (size_t i = 0; i < seconds.size(); ++i) {
        game.result.turnLog.push_back(
            {.side = static_cast<int>(i % 2), .kind = i % 2 ? "hps" : "minimax", .pieces = 3, .thinkSeconds = seconds[i]});
    }
    return game;
}

// The cells of the table's row with that label, one blank apart.
std::string RowOf(const std::vector<PlayedGame>& games, const std::string& label)
{
    std::ostringstream out;
    WriteResultTable(games, out);
    const std::string table = out.str();
    const size_t at = table.find("\n  " + label + "  "), start = at + label.size() + 3;
    std::istringstream cells(at == std::string::npos ? "" : table.substr(start, table.find('\n', start) - start));
    std::string row;
    for (std::string cell; cells >> cell;) {
        row += (row.empty() ? "" : " ") + cell;
    }
    return at == std::string::npos ? "no row " + label + " in\n" + table : row;
}

// The study's comparison rests on these counts: a win is the opponent's, whichever seat it had.
TEST(ArenaTable, CountsOutcomesPerOpponentMapAndSideOrder)
{
    const std::vector<PlayedGame> games = {Played(true, 0, 10), Played(false, 0, 20),
                                           Played(true, -1, 60, "maps/Map2.txt"), Played(false, 1, 30, "maps/Map2.txt")};
    // games, A wins, B wins, draws, mean turns: A won from side 0 and from side 1, B from side 1
    EXPECT_EQ(RowOf(games, "all"), "4 2 1 1 30.0");
    EXPECT_EQ(RowOf(games, "Map2.txt"), "2 1 0 1 45.0");
    EXPECT_EQ(RowOf(games, "B as side 0 (moves 1st)"), "2 1 1 0 25.0");
    // Think time per opponent: turns, median, p95 (nearest rank), max in ms.
    EXPECT_EQ(RowOf({Played(true, 0, 5, "m", {0.001, 0.010, 0.003, 0.020, 0.002})}, "minimax"), "3 2.000 3.000 3.000");
}

// One row per game: a comma in a name is quoted; side 0 (minimax, A) won the first, the second is a draw.
TEST(ArenaFiles, OneCsvRowPerGame)
{
    std::ostringstream games;
    PlayedGame draw = Played(false, -1, 1);
    draw.match.index = 1;
    WriteGamesCsv({Played(true, 0, 2, "odd,name.txt"), draw}, games);
    const std::string csv = games.str();
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3) << "a header and one row per game:\n" << csv;
    EXPECT_NE(csv.find("\n0,100,minimax:hps,\"odd,name.txt\",minimax,hps,0,minimax,A,2,0,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n1,100,minimax:hps,maps/Map1.txt,hps,minimax,-1,none,draw,1,1,"), std::string::npos) << csv;
}
}  // namespace
