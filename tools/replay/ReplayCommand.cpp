#include "replay/ReplayCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "replay/Replay.h"
#include "replay/Summary.h"
#include "replay/Watch.h"

namespace {
const char* usage =
    "usage: torvane-replay FILE|FOLDER...\n"
    "       torvane-replay --summary [--figure PATH] FILE|FOLDER...\n"
    "       torvane-replay --watch FILE [--speed N]\n"
    "Replays every game of each study record (a folder: each of its *.jsonl files) without a window:\n"
    "the recorded actions go through the game's rules, the scored opponents plan their turns again,\n"
    "and everything must match the record.\n"
    "--summary prints one CSV line per game instead (columns: RECORD.md); --figure also writes an SVG\n"
    "of outcome and game length by opponent.\n"
    "--watch plays one record's games back in a window as the participant saw them, at the recorded\n"
    "pace or N times faster (--speed, default 1); W, A, S, D scroll, Escape quits.\n"
    "Exit status: 0 every record matches, 1 a difference (FILE:LINE: what differed; --watch: an event\n"
    "that cannot be played), 2 bad usage or a file that is not a record.\n";

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

// The summary of every record, or 2 with the reason on `err`.
int Summarise(const std::vector<std::string>& records, const std::string& figure, std::ostream& out,
              std::ostream& err)
{
    std::vector<GameSummary> games;
    for (const std::string& file : records) {
        try {
            for (GameSummary& game : SummariseRecord(ReadRecordFile(file))) {
                games.push_back(std::move(game));
            }
        } catch (const std::exception& error) {  // RecordError, or a field of the wrong kind
            err << "torvane-replay: " << file << ": " << error.what() << "\n";
            return 2;
        }
    }
    WriteSummaryCsv(games, out);
    if (!figure.empty()) {
        std::ofstream svg(figure);
        WriteSummarySvg(games, svg);
        svg.close();
        if (!svg) {
            err << "torvane-replay: cannot write " << figure << "\n";
            return 2;
        }
    }
    return 0;
}

// A positive, finite number of times faster than recorded.
bool ParseSpeed(const std::string& text, double& speed)
{
    char* end = nullptr;
    speed = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(speed) && speed > 0.0;
}

// Watches one record file in a window; a file that is not a record is refused before it opens.
int WatchFile(const std::string& path, double speed, std::ostream& err)
{
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        err << "torvane-replay: " << path << ": --watch takes one record file\n";
        return 2;
    }
    try {
        const Record record = ReadRecordFile(path);
        return WatchInWindow(record, speed, err);
    } catch (const RecordError& error) {
        err << "torvane-replay: " << error.what() << "\n";
        return 2;
    }
}

// Replays every record; stops at the first difference.
int Check(const std::vector<std::string>& records, std::ostream& out, std::ostream& err)
{
    int status = 0;
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
}  // namespace

int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> paths;
    bool summary = false;
    std::string figure;
    std::string watch;
    double speed = 1.0;
    bool speedGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << usage;
            return 0;
        }
        if (arg == "--summary") {
            summary = true;
        } else if (arg == "--figure" && i + 1 < args.size()) {
            figure = args[++i];
        } else if (arg == "--watch" && i + 1 < args.size()) {
            watch = args[++i];
        } else if (arg == "--speed" && i + 1 < args.size()) {
            speedGiven = true;
            if (!ParseSpeed(args[++i], speed)) {
                err << "torvane-replay: --speed wants a number above 0, not " << args[i] << "\n" << usage;
                return 2;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            err << "torvane-replay: unknown option " << arg << "\n" << usage;
            return 2;
        } else {
            paths.push_back(arg);
        }
    }
    if (!watch.empty()) {
        if (!paths.empty() || summary) {
            err << "torvane-replay: --watch takes one record and nothing else\n" << usage;
            return 2;
        }
        return WatchFile(watch, speed, err);
    }
    if (speedGiven) {
        err << "torvane-replay: --speed goes with --watch\n" << usage;
        return 2;
    }
    if (paths.empty()) {
        err << "torvane-replay: no record given\n" << usage;
        return 2;
    }
    if (!figure.empty() && !summary) {
        err << "torvane-replay: --figure goes with --summary\n" << usage;
        return 2;
    }
    std::vector<std::string> records;
    for (const std::string& path : paths) {
        std::string error;
        for (std::string& file : RecordsAt(path, error)) {
            records.push_back(std::move(file));
        }
        if (!error.empty()) {
            err << "torvane-replay: " << error << "\n";
            return 2;
        }
    }
    return summary ? Summarise(records, figure, out, err) : Check(records, out, err);
}
