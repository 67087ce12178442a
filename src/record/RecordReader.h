#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "record/RecordFormat.h"

// A file that is not a study record, or not one this version can read.
class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace record {
// What the reader takes, far above anything the game writes (RECORD.md): its longest line is
// a board with its map text, under 1 KB for the study's maps, or a first line with 32 of the
// browser's identifiers, under 11 KB; its deepest nesting is 3 (an undo's tile).
inline constexpr size_t maxLineBytes = size_t{1} << 20;
inline constexpr int32_t maxDepth = 32;
}  // namespace record

struct RecordEvent {
    int32_t line = 0;  // 1-based line in the file
    std::string event;
    record::Json fields;  // the whole line
};

// A record as read: its first line, its events, and whether its last line was cut short
// (a run that ended in the middle of writing it).
struct Record {
    std::string name;
    record::Json header;
    std::vector<RecordEvent> events;
    int32_t cutAtLine = 0;  // the line that was cut short; 0 for a whole record
    bool reachedCode = false;  // it holds the result code, written after Quit
};

// Reads a record line by line; throws RecordError, naming the file and line, for anything
// that is not one: a line longer than maxLineBytes (read no further than that), nested
// deeper than maxDepth, not a JSON object, or with a field the format makes a whole number
// holding anything else. Only a last line without its line feed is taken as cut short.
Record ReadRecord(std::istream& in, const std::string& name);
Record ParseRecord(const std::string& text, const std::string& name);
Record ReadRecordFile(const std::string& path);
