#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "arena/ArenaGame.h"
#include "arena/ArenaOptions.h"

struct PlayedGame {
    MatchSetup match;
    GameResult result;
};

enum class Outcome {
    AWins,
    BWins,
    Draw,
};
// The result seen from the pairing's A and B, whichever side each played.
Outcome OutcomeOf(const PlayedGame& game);

// The value at `fraction` (0..1] of the sorted values, by nearest rank: the smallest
// value with at least that share of the values at or below it. 0 for no values.
double NearestRank(std::vector<double> values, double fraction);
// The middle value, or the mean of the two middle ones. 0 for no values.
double Median(std::vector<double> values);

// One line per game: seed, map, sides, result and the command that replays it.
std::string GameLine(const PlayedGame& game);

// The final table: wins, losses and draws per pairing, map and side order, mean game
// length, and each opponent's think time per turn (median, p95, max, mean by pieces).
void WriteResultTable(const std::vector<PlayedGame>& games, std::ostream& out);

// One row per game, and one per planned turn.
void WriteGamesCsv(const std::vector<PlayedGame>& games, std::ostream& out);
void WriteTurnsCsv(const std::vector<PlayedGame>& games, std::ostream& out);
// Think time against the thinking side's pieces, one colour per opponent, log time axis.
void WriteThinkTimeSvg(const std::vector<PlayedGame>& games, std::ostream& out);
