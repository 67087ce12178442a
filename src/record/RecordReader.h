#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "record/RecordFormat.h"

// A file that is not a study record, or not one this version can read.
class RecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
};

// Reads a record; throws RecordError, naming the file and line, for anything that is not
// one. Only a last line without its line feed is taken as cut short.
Record ParseRecord(const std::string& text, const std::string& name);
Record ReadRecordFile(const std::string& path);
