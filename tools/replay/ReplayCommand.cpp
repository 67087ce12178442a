#include "replay/ReplayCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "replay/Actions.h"
#include "replay/Participants.h"
#include "replay/Replay.h"
#include "replay/Summary.h"
#include "replay/Watch.h"

namespace {
const char* usage =
    "usage: torvane-replay [--any-map] [--search-budget N] FILE|FOLDER...\n"
    "       torvane-replay --summary [--figure PATH] FILE|FOLDER...\n"
    "       torvane-replay --watch FILE [--speed N]\n"
    "       torvane-replay --participants [--codes FILE.csv --code-column NAME [--id-column NAME]] FILE|FOLDER...\n"
    "       torvane-replay --actions FILE|FOLDER...\n"
    "Replays every game of each study record (a folder: each of its *.jsonl files) without a window:\n"
    "the recorded actions go through the game's rules, the scored opponents plan their turns again,\n"
    "and everything must match the record. A board on a map other than the study's (TutorialMap.txt,\n"
    "Map1.txt, Map2.txt) is not replayed unless --any-map is given; an opponent's search of one turn\n"
    "may take up to N steps (--search-budget, default 100000000), the game is not checked beyond.\n"
    "--summary prints one CSV line per game instead (columns: RECORD.md); --figure also writes an SVG\n"
    "of outcome and game length by opponent.\n"
    "--participants prints one CSV line per run (study, condition, identifiers, the code shown, how the\n"
    "record ends, its games); with --codes it matches the questionnaire's export by the code in its\n"
    "column NAME (and the identifier in --id-column, given to the runs under the same name) and names on\n"
    "standard error each row with no record, each record with no row and each code that differs from its\n"
    "record (status 1 when any), then the complete and partial runs per condition.\n"
    "--actions prints one CSV line per recorded action, undo, end of turn and opponent's turn planned.\n"
    "--watch plays one record's games back in a window as the participant saw them, at the recorded\n"
    "pace or N times faster (--speed, default 1); W, A, S, D scroll, Escape quits.\n"
    "Exit status: 0 every record read and matching to its last line; 1 a difference (FILE:LINE: what\n"
    "differed; the check stops there; --watch: an event that cannot be played); 2 bad usage or a file\n"
    "that is not a record (FILE:LINE: why); 3 a record not checked to its end: its last line cut short,\n"
    "a board not on the study's maps, a search beyond its budget (FILE:LINE: why). The other files are\n"
    "still checked or summed up; with several kinds the lowest of 1, 2, 3 is the status.\n";

constexpr int differs = 1;
constexpr int notARecord = 2;
constexpr int notChecked = 3;

// The status of a run that met both: a difference, then a file that is not a record, then one not
// checked to its end.
int Worse(int status, int found)
{
    return status == 0 || (found != 0 && found < status) ? found : status;
}

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

// The summary of every record that can be read; each that cannot is named on `err` and left out.
int Summarise(const std::vector<std::string>& records, const std::string& figure, std::ostream& out,
              std::ostream& err)
{
    std::vector<GameSummary> games;
    int status = 0;
    for (const std::string& file : records) {
        try {
            const Record record = ReadRecordFile(file);
            for (GameSummary& game : SummariseRecord(record)) {
                games.push_back(std::move(game));
            }
            if (record.cutAtLine != 0) {
                err << "torvane-replay: " << file << ":" << record.cutAtLine
                    << ": the last line is cut short; the rows hold the lines before it\n";
                status = Worse(status, notChecked);
            }
        } catch (const RecordError& error) {
            err << "torvane-replay: " << error.what() << "\n";
            status = Worse(status, notARecord);
        }
    }
    WriteSummaryCsv(games, out);
    if (!figure.empty()) {
        std::ofstream svg(figure);
        WriteSummarySvg(games, svg);
        svg.close();
        if (!svg) {
            err << "torvane-replay: cannot write " << figure << "\n";
            return notARecord;
        }
    }
    return status;
}

// The records that can be read, in order; each that cannot is named on `err` and left out.
std::vector<Record> ReadRecords(const std::vector<std::string>& files, std::ostream& err, int& status)
{
    std::vector<Record> records;
    for (const std::string& file : files) {
        try {
            records.push_back(ReadRecordFile(file));
        } catch (const RecordError& error) {
            err << "torvane-replay: " << error.what() << "\n";
            status = Worse(status, notARecord);
        }
    }
    return records;
}

// One row per run, then (with a questionnaire) what does not agree with it, and the runs per condition.
int ListParticipants(const std::vector<std::string>& files, const std::string& codes,
                     const QuestionnaireColumns& columns, std::ostream& out, std::ostream& err)
{
    CsvTable answers;
    try {
        answers = codes.empty() ? CsvTable() : ReadCsvFile(codes);
    } catch (const std::runtime_error& error) {
        err << "torvane-replay: " << error.what() << "\n";
        return notARecord;
    }
    int status = 0;
    std::vector<RunRow> runs;
    for (const Record& record : ReadRecords(files, err, status)) {
        runs.push_back(SummariseRun(record));
    }
    WriteRunsCsv(runs, out);
    if (!codes.empty()) {
        try {
            const std::vector<std::string> findings = MatchQuestionnaire(runs, answers, codes, columns);
            for (const std::string& finding : findings) {
                err << finding << "\n";
            }
            status = findings.empty() ? status : Worse(status, differs);
        } catch (const std::runtime_error& error) {
            err << "torvane-replay: " << error.what() << "\n";
            return notARecord;
        }
    }
    for (const std::string& line : CountByCondition(runs)) {
        err << line << "\n";
    }
    return status;
}

// Every action of every record that can be read, whole records only.
int ListActions(const std::vector<std::string>& files, std::ostream& out, std::ostream& err)
{
    int status = 0;
    WriteActionsHeader(out);
    for (const Record& record : ReadRecords(files, err, status)) {
        std::ostringstream rows;
        try {
            WriteActions(record, rows);
            out << rows.str();
        } catch (const RecordError& error) {
            err << "torvane-replay: " << error.what() << "\n";
            status = Worse(status, notARecord);
        }
    }
    return status;
}

// A positive, finite number of times faster than recorded.
bool ParseSpeed(const std::string& text, double& speed)
{
    char* end = nullptr;
    speed = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(speed) && speed > 0.0;
}

// A whole number of steps from 1 up, in digits alone.
bool ParseBudget(const std::string& text, int64_t& budget)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    budget = std::stoll(text);
    return budget > 0;
}

// Watches one record file in a window; a file that is not a record is refused before it opens.
int WatchFile(const std::string& path, double speed, std::ostream& err)
{
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        err << "torvane-replay: " << path << ": --watch takes one record file\n";
        return notARecord;
    }
    try {
        const Record record = ReadRecordFile(path);
        return WatchInWindow(record, speed, err);
    } catch (const RecordError& error) {
        err << "torvane-replay: " << error.what() << "\n";
        return notARecord;
    }
}

// Replays every record; stops at the first difference.
int Check(const std::vector<std::string>& records, const ReplayOptions& options, std::ostream& out, std::ostream& err)
{
    int status = 0;
    for (const std::string& file : records) {
        try {
            const Record record = ReadRecordFile(file);
            const ReplayResult result = ReplayRecord(record, options);
            if (result.verdict == Verdict::Matches) {
                out << file << ": " << result.games << " game(s) match\n";
                continue;
            }
            out << file << ":" << result.line << ": " << result.message << "\n";
            if (result.verdict == Verdict::Differs) {
                return differs;
            }
            status = Worse(status, notChecked);
        } catch (const RecordError& error) {
            err << "torvane-replay: " << error.what() << "\n";
            status = Worse(status, notARecord);
        }
    }
    return status;
}
// What the command line asks for.
struct Command {
    std::vector<std::string> paths;
    bool help = false;
    bool summary = false;
    bool participants = false;
    bool actions = false;
    std::string codes;
    QuestionnaireColumns columns;
    std::string figure;
    std::string watch;
    double speed = 1.0;
    bool speedGiven = false;
    ReplayOptions replay;
    bool replayGiven = false;  // --any-map or --search-budget
};

// Reads the arguments into `command`; what is wrong with them, or "".
std::string ParseArgs(const std::vector<std::string>& args, Command& command)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool valued = i + 1 < args.size();
        if (arg == "-h" || arg == "--help") {
            command.help = true;
            return "";
        }
        if (arg == "--summary") {
            command.summary = true;
        } else if (arg == "--participants") {
            command.participants = true;
        } else if (arg == "--actions") {
            command.actions = true;
        } else if (arg == "--codes" && valued) {
            command.codes = args[++i];
        } else if (arg == "--code-column" && valued) {
            command.columns.code = args[++i];
        } else if (arg == "--id-column" && valued) {
            command.columns.id = args[++i];
        } else if (arg == "--any-map") {
            command.replay.anyMap = command.replayGiven = true;
        } else if (arg == "--search-budget" && valued) {
            command.replayGiven = true;
            if (!ParseBudget(args[++i], command.replay.searchBudget)) {
                return "--search-budget wants a whole number of steps above 0, not " + args[i];
            }
        } else if (arg == "--figure" && valued) {
            command.figure = args[++i];
        } else if (arg == "--watch" && valued) {
            command.watch = args[++i];
        } else if (arg == "--speed" && valued) {
            command.speedGiven = true;
            if (!ParseSpeed(args[++i], command.speed)) {
                return "--speed wants a number above 0, not " + args[i];
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else {
            command.paths.push_back(arg);
        }
    }
    return "";
}

// Options that do not go together, or "".
std::string Conflicts(const Command& command)
{
    const int modes = int{command.summary} + int{command.participants} + int{command.actions} + int{!command.watch.empty()};
    if (modes > 1) {
        return "--summary, --participants, --actions and --watch go one at a time";
    }
    if (!command.watch.empty() && !command.paths.empty()) {
        return "--watch takes one record and nothing else";
    }
    if (command.replayGiven && modes > 0) {
        return "--any-map and --search-budget go with the check alone";
    }
    if ((!command.codes.empty() || !command.columns.code.empty() || !command.columns.id.empty()) && !command.participants) {
        return "--codes, --code-column and --id-column go with --participants";
    }
    if (command.codes.empty() != command.columns.code.empty() || (!command.columns.id.empty() && command.codes.empty())) {
        return "--codes FILE.csv needs --code-column NAME (and --id-column only with both)";
    }
    if (!command.watch.empty()) {
        return "";
    }
    if (command.speedGiven) {
        return "--speed goes with --watch";
    }
    if (command.paths.empty()) {
        return "no record given";
    }
    return !command.figure.empty() && !command.summary ? "--figure goes with --summary" : "";
}
}  // namespace

int RunReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Command command;
    std::string problem = ParseArgs(args, command);
    if (problem.empty() && command.help) {
        out << usage;
        return 0;
    }
    if (problem.empty()) {
        problem = Conflicts(command);
    }
    if (!problem.empty()) {
        err << "torvane-replay: " << problem << "\n" << usage;
        return notARecord;
    }
    if (!command.watch.empty()) {
        return WatchFile(command.watch, command.speed, err);
    }
    std::vector<std::string> records;
    for (const std::string& path : command.paths) {
        std::string error;
        for (std::string& file : RecordsAt(path, error)) {
            records.push_back(std::move(file));
        }
        if (!error.empty()) {
            err << "torvane-replay: " << error << "\n";
            return notARecord;
        }
    }
    if (command.participants) {
        return ListParticipants(records, command.codes, command.columns, out, err);
    }
    if (command.actions) {
        return ListActions(records, out, err);
    }
    return command.summary ? Summarise(records, command.figure, out, err) : Check(records, command.replay, out, err);
}
