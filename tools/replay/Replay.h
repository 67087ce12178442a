#pragma once

#include <cstdint>
#include <string>

#include "record/RecordReader.h"

// How a record's replay went.
struct ReplayResult {
    bool matches = true;
    int32_t line = 0;     // where the first difference is
    std::string message;  // what differed
    int32_t games = 0;    // boards replayed
};

// Replays every game of a record without a window: each board is set up from the map text
// the record holds (a text that does not match its hash is a difference), the recorded side's
// actions, each of which the rules must offer, and its undos go through the game's own rules,
// the scored opponent plans each of its turns again, and everything the board then tells
// its observer (actions, ends of turn with the board's digest, outcomes, the result code)
// must match the record. Stops at the first difference. Throws RecordError for a line that
// is not a well-formed event.
ReplayResult ReplayRecord(const Record& record);
