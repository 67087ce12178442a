#include "record/RecordReader.h"

#include <fstream>
#include <sstream>

using record::Json;

namespace {
[[noreturn]] void Fail(const std::string& name, int32_t line, const std::string& what)
{
    throw RecordError(name + ":" + std::to_string(line) + ": " + what);
}
}  // namespace

Record ParseRecord(const std::string& text, const std::string& name)
{
    Record record;
    record.name = name;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    // A whole record ends with a line feed; text after the last one is a line cut short. A line
    // is written with its line feed, so a broken line that has one is no cut but a fault.
    const bool lastIsWhole = !text.empty() && text.back() == '\n';
    if (lines.empty()) {
        Fail(name, 1, "empty file, not a study record");
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto number = static_cast<int32_t>(i + 1);
        const bool last = i + 1 == lines.size();
        Json line = Json::parse(lines[i], nullptr, false);
        const bool complete = !line.is_discarded() && line.is_object() && (!last || lastIsWhole);
        if (i == 0) {
            if (!complete || line["format"] != record::formatName) {
                Fail(name, 1, "not a study record (its first line does not name the format \"" +
                                  std::string(record::formatName) + "\")");
            }
            if (!line["version"].is_number_integer() || line["version"].get<int64_t>() != record::recordVersion) {
                Fail(name, 1, "record version " + line["version"].dump() + ", this tool reads version " +
                                  std::to_string(record::recordVersion));
            }
            record.header = std::move(line);
            continue;
        }
        if (!complete) {
            if (last && !lastIsWhole) {
                record.cutAtLine = number;
                break;
            }
            Fail(name, number, "not a JSON object");
        }
        if (!line["event"].is_string() || !line["t"].is_number()) {
            Fail(name, number, "an event line needs \"event\" and \"t\"");
        }
        record.events.push_back({number, line["event"].get<std::string>(), std::move(line)});
    }
    return record;
}

Record ReadRecordFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw RecordError(path + ": cannot open the record");
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    return ParseRecord(contents.str(), path);
}
