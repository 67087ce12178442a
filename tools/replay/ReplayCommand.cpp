#include "replay/ReplayCommand.h"

#include <ostream>

#include "replay/Replay.h"

namespace {
const char* usage =
    "usage: torvane-replay FILE...\n"
    "Replays every game of each study record without a window: the recorded actions go through the\n"
    "game's rules, the scored opponents plan their turns again, and everything must match the record.\n"
    "Exit status: 0 every record matches, 1 a difference (FILE:LINE: what differed), 2 bad usage or a\n"
    "file that is not a record.\n";
}  // namespace

int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            out << usage;
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            err << "torvane-replay: unknown option " << arg << "\n" << usage;
            return 2;
        }
        files.push_back(arg);
    }
    if (files.empty()) {
        err << "torvane-replay: no record given\n" << usage;
        return 2;
    }
    int status = 0;
    for (const std::string& file : files) {
        try {
            const Record record = ReadRecordFile(file);
            const ReplayResult result = ReplayRecord(record);
            if (!result.matches) {
                out << file << ":" << result.line << ": " << result.message << "\n";
                return 1;
            }
            if (record.cutAtLine != 0) {
                out << file << ":" << record.cutAtLine << ": the record is cut short here; " << result.games
                    << " game(s) before it match\n";
            } else {
                out << file << ": " << result.games << " game(s) match\n";
            }
        } catch (const RecordError& error) {
            err << "torvane-replay: " << error.what() << "\n";
            status = 2;
        }
    }
    return status;
}
