#pragma once

#include <iosfwd>

#include "record/RecordReader.h"

// The header of the actions table (RECORD.md): one row per recorded action, undo, end of turn or
// forfeit of either side, and per opponent's turn planned.
void WriteActionsHeader(std::ostream& out);
// The record's rows. Throws RecordError, naming the line, for an event whose fields are of the wrong kind.
void WriteActions(const Record& record, std::ostream& out);
