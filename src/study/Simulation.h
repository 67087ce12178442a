#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "study/Study.h"

// Simulated participants: whole studies played without a window, as fast as the machine allows,
// through the real scene sequence, opponents, condition assignment and record, with a computer side
// in the participant's seat. For trying a study's assignment and analysis before data collection.
struct Simulation {
    int32_t runs = 1;
    std::string recordDir;
    std::string seat = "random";  // "random", "minimax" or "hps"
    double dropout = 0.0;         // each game is left in the middle with this probability
    uint32_t seed = 0;            // the simulation's own draws (seats, dropouts, each run's seed)
    // The seat forfeits a game it has not decided after this many of its turns.
    int32_t turnCap = 30;
};

// Plays `simulation.runs` studies one after another, each writing its record (source "simulated")
// into the record folder; a line per run on `out`. Returns 0, or 1 with the reason on `err` when a
// run cannot be recorded.
int Simulate(const Study& study, const Simulation& simulation, std::ostream& out, std::ostream& err);
