#pragma once

#include <cstdint>
#include <string>

#include "record/RecordReader.h"

// What the replay allows itself.
struct ReplayOptions {
    // Steps (each at most one position scored) an opponent's search of one turn may take.
    // Recorded games need under a thousand; the benchmark's largest position on a study map,
    // 20 computer pieces on Map1 for the two-candidate search, 30 million (RECORD.md).
    static constexpr int64_t defaultSearchBudget = 100'000'000;
    int64_t searchBudget = defaultSearchBudget;
    // Boards on maps other than the study's (an arena's on a map of its own).
    bool anyMap = false;
};

enum class Verdict {
    Matches,     // every line up to the record's end matches
    Differs,     // `line` differs from the replay
    NotChecked,  // the replay stopped at `line` without checking what follows, for `message`'s reason
};

// How a record's replay went.
struct ReplayResult {
    Verdict verdict = Verdict::Matches;
    int32_t line = 0;     // where the first difference is, or where the replay stopped
    std::string message;  // what differed, or why it stopped
    int32_t games = 0;    // boards replayed
};

// Replays every game of a record without a window: each board is set up from the map text
// the record holds (a text that does not match its hash is a difference), the recorded side's
// actions, each of which the rules must offer, and its undos go through the game's own rules,
// the scored opponent plans each of its turns again, and everything the board then tells
// its observer (actions, ends of turn with the board's digest, outcomes, the result code)
// must match the record. Stops at the first difference. Not checked: a board on a map that is
// not the study's (unless `options.anyMap`), a search beyond its budget, a last line cut short
// (the lines before it are checked). Throws RecordError for a line that is not a well-formed event.
ReplayResult ReplayRecord(const Record& record, const ReplayOptions& options = {});
