#include "replay/ReplayCommand.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "replay/Replay.h"

namespace {
const char* usage =
    "usage: torvane-replay FILE|FOLDER...\n"
    "Replays every game of each study record (a folder: each of its *.jsonl files) without a window:\n"
    "the recorded actions go through the game's rules, the scored opponents plan their turns again,\n"
    "and everything must match the record.\n"
    "Exit status: 0 every record matches, 1 a difference (FILE:LINE: what differed), 2 bad usage or a\n"
    "file that is not a record.\n";

// The records a path names: the file itself, or a folder's *.jsonl files in name order.
std::vector<std::string> RecordsAt(const std::string& path, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code code;
    if (!fs::exists(path, code)) {
        error = path + ": no such file or folder";
        return {};
    }
    if (!fs::is_directory(path, code)) {
        return {path};
    }
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(path, code)) {
        if (entry.is_regular_file() && entry.path().extension() == ".jsonl") {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        error = path + ": a folder without records (*.jsonl files)";
    }
    return files;
}
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
    std::vector<std::string> records;
    for (const std::string& path : files) {
        std::string error;
        for (std::string& file : RecordsAt(path, error)) {
            records.push_back(std::move(file));
        }
        if (!error.empty()) {
            err << "torvane-replay: " << error << "\n";
            status = 2;
        }
    }
    for (const std::string& file : records) {
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
