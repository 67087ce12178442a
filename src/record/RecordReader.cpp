#include "record/RecordReader.h"

#include <fstream>
#include <limits>
#include <sstream>

using record::Json;

namespace {
[[noreturn]] void Fail(const std::string& name, int32_t line, const std::string& what)
{
    throw RecordError(name + ":" + std::to_string(line) + ": " + what);
}

enum class LineRead { Whole, Cut, TooLong, End };

// The next line without its line feed. Stops at the limit, so that a giant line costs no
// more memory than the limit: the rest of the file is not read.
LineRead NextLine(std::streambuf& in, std::string& line)
{
    line.clear();
    for (;;) {
        const int c = in.sbumpc();
        if (c == std::char_traits<char>::eof()) {
            return line.empty() ? LineRead::End : LineRead::Cut;
        }
        if (c == '\n') {
            return LineRead::Whole;
        }
        if (line.size() == record::maxLineBytes) {
            return LineRead::TooLong;
        }
        line.push_back(static_cast<char>(c));
    }
}

// Counted before parsing: the JSON library's comparison and printing follow nesting down the
// stack, and a line of brackets alone would overflow it.
bool DeeperThan(const std::string& line, int32_t limit)
{
    int32_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : line) {
        if (escaped) {
            escaped = false;
        } else if (inString) {
            escaped = c == '\\';
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) {
                return true;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

// A value as a message shows it: short, whatever it holds.
std::string Shown(const Json& value)
{
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return text.size() <= 40 ? text : text.substr(0, 37) + "...";
}

bool Whole(const Json& value, int64_t low, int64_t high)
{
    if (value.is_number_unsigned()) {
        const uint64_t whole = value.get<uint64_t>();
        return whole <= static_cast<uint64_t>(high) && (low <= 0 || whole >= static_cast<uint64_t>(low));
    }
    return value.is_number_integer() && value.get<int64_t>() >= low && value.get<int64_t>() <= high;
}

constexpr int64_t int32Low = std::numeric_limits<int32_t>::min();
constexpr int64_t int32High = std::numeric_limits<int32_t>::max();
constexpr int64_t countHigh = std::numeric_limits<int64_t>::max();

struct WholeField {
    const char* key;
    int64_t low, high;
};

// The fields of an event that RECORD.md makes whole numbers; a count or a time may not be negative.
constexpr WholeField eventWholes[] = {
    {"index", int32Low, int32High},  {"game", int32Low, int32High}, {"number", int32Low, int32High},
    {"side", int32Low, int32High},   {"type", int32Low, int32High}, {"winner", int32Low, int32High},
    {"t", 0, countHigh},             {"tb", 0, countHigh},          {"slices", 0, countHigh},
    {"positions", 0, countHigh},
};

void RequireWhole(const Json& value, const char* key, int64_t low, int64_t high, const std::string& name, int32_t line)
{
    if (!Whole(value, low, high)) {
        Fail(name, line, std::string(key) + ": " + Shown(value) + " is not a whole number from " + std::to_string(low) +
                             (high == countHigh ? " up" : " to " + std::to_string(high)));
    }
}

// An event's whole numbers, and those of the event an undo took back, where they are present:
// a missing field is for the replay to name.
void CheckEventNumbers(const Json& fields, const std::string& name, int32_t line)
{
    for (const WholeField& field : eventWholes) {
        const auto found = fields.find(field.key);
        if (found != fields.end() && !(found->is_null() && std::string(field.key) == "tb")) {
            RequireWhole(*found, field.key, field.low, field.high, name, line);
        }
    }
    for (const char* key : {"from", "to"}) {
        const auto found = fields.find(key);
        if (found != fields.end() &&
            !(found->is_array() && found->size() == 2 && Whole((*found)[0], int32Low, int32High) &&
              Whole((*found)[1], int32Low, int32High))) {
            Fail(name, line, std::string(key) + ": " + Shown(*found) + " is not a tile, [column, row] in whole numbers");
        }
    }
    const auto undid = fields.find("undid");
    if (undid != fields.end() && undid->is_object()) {
        CheckEventNumbers(*undid, name, line);
    }
}

void CheckHeader(const Json& first, bool whole, const std::string& name)
{
    if (!whole || !first.is_object() || first.value("format", Json()) != record::formatName) {
        Fail(name, 1, "not a study record (its first line does not name the format \"" + std::string(record::formatName) + "\")");
    }
    const Json version = first.value("version", Json());
    if (!version.is_number_integer() || version.get<int64_t>() < record::oldestRecordVersion ||
        version.get<int64_t>() > record::recordVersion) {
        Fail(name, 1, "record version " + Shown(version) + ", this tool reads versions " +
                          std::to_string(record::oldestRecordVersion) + " to " + std::to_string(record::recordVersion));
    }
    for (const char* key : {"study", "studyHash", "studyText"}) {
        if (first.contains(key) && !first[key].is_string()) {
            Fail(name, 1, std::string(key) + ": " + Shown(first[key]) + " is not a text");
        }
    }
    if (first.contains("seed")) {
        RequireWhole(first["seed"], "seed", 0, std::numeric_limits<uint32_t>::max(), name, 1);
    }
    for (const char* key : {"condition", "conditions"}) {
        if (first.contains(key)) {
            RequireWhole(first[key], key, 0, int32High, name, 1);
        }
    }
    if (first.contains("maps")) {
        const Json& maps = first["maps"];
        for (size_t i = 0; maps.is_array() && i < maps.size(); ++i) {
            RequireWhole(maps[i], "maps", int32Low, int32High, name, 1);
        }
        if (!maps.is_array()) {
            Fail(name, 1, "maps: " + Shown(maps) + " is not a list of whole numbers");
        }
    }
}
}  // namespace

Record ReadRecord(std::istream& in, const std::string& name)
{
    Record record;
    record.name = name;
    std::streambuf* buffer = in.rdbuf();
    std::string text;
    int32_t number = 0;
    for (LineRead read; buffer != nullptr && (read = NextLine(*buffer, text)) != LineRead::End;) {
        ++number;
        if (read == LineRead::TooLong) {
            Fail(name, number, "a line longer than " + std::to_string(record::maxLineBytes) + " bytes, more than a record holds");
        }
        // A whole line ends with its line feed: text after the last one is a line cut short. A line
        // is written with its line feed, so a broken line that has one is no cut but a fault.
        if (read == LineRead::Cut && number > 1) {
            record.cutAtLine = number;
            break;
        }
        if (DeeperThan(text, record::maxDepth)) {
            Fail(name, number, "nested deeper than " + std::to_string(record::maxDepth) + " levels, more than a record holds");
        }
        Json line = Json::parse(text, nullptr, false);
        if (number == 1) {
            CheckHeader(line, read == LineRead::Whole, name);
            record.header = std::move(line);
            continue;
        }
        if (line.is_discarded() || !line.is_object()) {
            Fail(name, number, "not a JSON object");
        }
        if (!line.value("event", Json()).is_string() || !line.contains("t")) {
            Fail(name, number, "an event line needs \"event\" and \"t\"");
        }
        CheckEventNumbers(line, name, number);
        std::string event = line["event"].get<std::string>();
        record.reachedCode = record.reachedCode || event == "code";
        record.events.push_back({number, std::move(event), std::move(line)});
    }
    if (number == 0) {
        Fail(name, 1, "empty file, not a study record");
    }
    return record;
}

Record ParseRecord(const std::string& text, const std::string& name)
{
    std::istringstream in(text);
    return ReadRecord(in, name);
}

Record ReadRecordFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw RecordError(path + ": cannot open the record");
    }
    return ReadRecord(file, path);
}
