#pragma once

#include <string>
#include <vector>

#include "arena/ArenaOptions.h"
#include "arena/ArenaSides.h"

// How one game went.
struct GameResult {
    int winner = -1;      // side 0 or 1; -1 when nobody won (all castles neutral, or the cap)
    int turns = 0;        // turns ended, of either side
    bool capped = false;  // stopped at the turn cap undecided
    std::vector<TurnRecord> turnLog;  // every turn planned, in order
    std::string finalBoard;           // the pieces at the end, one "type side x y health" line each
    double seconds = 0.0;
    std::string recordPath = {};  // the game's record, when one was written
};

// Plays one game without a window: the board is set up by the game's own Init with
// `match`'s sides and map, then each side's plan is played back until the game is
// decided or the turn cap is reached. Throws MapFileError for a broken map.
GameResult PlayGame(const MatchSetup& match);
