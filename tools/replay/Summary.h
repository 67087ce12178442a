#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "record/RecordReader.h"

// One game of a record, summed up for the researcher (the CSV columns, in order).
struct GameSummary {
    std::string file;
    std::string participant;  // the run's identifiers, "KEY=VALUE" joined by "&", with %, & and = escaped
    int32_t game = 0;         // the board's number in the run (1 is the tutorial)
    std::string opponent;
    std::string map;
    std::string outcome;  // won, lost, forfeit, nobody, unfinished
    int32_t humanTurns = 0;
    int32_t opponentTurns = 0;
    double seconds = 0.0;           // from the board's start to its outcome (or last event)
    double focusedSeconds = 0.0;    // the human's turns, time without focus left out
    double medianTurnSeconds = 0.0;  // the human's turns, with focus
    double longestTurnSeconds = 0.0;
    int32_t undos = 0;
    int32_t humanBought = 0;  // purchases that stood (an undone one does not count)
    int32_t opponentBought = 0;
    double medianThinkMs = 0.0;
    double longestThinkMs = 0.0;
    std::string ending;  // how the record ends: complete, partial or cut (RecordEnding)
    std::string study;      // the study file the run played, and its text's hash ("" when not recorded)
    std::string studyHash;
    std::string condition;   // the run's condition, how many the study has and how it was given
    std::string conditions;
    std::string assigned;
};

// The run's identifiers as one CSV field, "KEY=VALUE" joined by "&". Identifiers from a web address
// may hold '&', '=' or '%' themselves: escaped as %26, %3D and %25, the field still splits back
// into the names and values it came from.
std::string ParticipantColumn(const record::Json& header);
// A field of a record's first line as CSV text: a string as it is, a number written out, "" when absent.
std::string HeaderText(const record::Json& header, const char* key);
// "complete" (the record reached its result code), "cut" (its last line was cut short) or
// "partial" (it ends between whole lines before the code: a run left early, an arena game).
const char* RecordEnding(const Record& record);
// Throws RecordError, naming the line, for an event whose fields are of the wrong kind.
std::vector<GameSummary> SummariseRecord(const Record& record);
// A header line, then one line per game.
void WriteSummaryCsv(const std::vector<GameSummary>& games, std::ostream& out);
// Outcomes and game lengths by opponent, as an SVG picture.
void WriteSummarySvg(const std::vector<GameSummary>& games, std::ostream& out);
