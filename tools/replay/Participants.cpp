#include "replay/Participants.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <ostream>
#include <stdexcept>

#include "common/ReportText.h"
#include "replay/Summary.h"

using record::Json;

namespace {
// A code as typed into a questionnaire, the way the game shows it.
std::string Normalised(const std::string& code)
{
    const size_t first = code.find_first_not_of(" \t\r\n");
    const size_t last = code.find_last_not_of(" \t\r\n");
    std::string trimmed = first == std::string::npos ? "" : code.substr(first, last - first + 1);
    std::transform(trimmed.begin(), trimmed.end(), trimmed.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return trimmed;
}

std::string Field(const CsvTable& table, size_t row, int column)
{
    const std::vector<std::string>& fields = table.rows[row];
    return column >= 0 && static_cast<size_t>(column) < fields.size() ? fields[static_cast<size_t>(column)] : "";
}

int NeedColumn(const CsvTable& table, const std::string& name, const std::string& tableName)
{
    const int column = table.Column(name);
    if (column < 0) {
        throw std::runtime_error(tableName + ":1: no column \"" + name + "\"");
    }
    return column;
}

// The runs whose identifier `name` is `value`.
std::vector<const RunRow*> RunsOf(const std::vector<RunRow>& runs, const std::string& name, const std::string& value)
{
    std::vector<const RunRow*> found;
    for (const RunRow& run : runs) {
        for (const auto& [key, given] : run.identifiers) {
            if (key == name && given == value) {
                found.push_back(&run);
            }
        }
    }
    return found;
}
}  // namespace

RunRow SummariseRun(const Record& record)
{
    RunRow run;
    const Json& header = record.header;
    run.file = record.name;
    run.study = HeaderText(header, "study");
    run.studyHash = HeaderText(header, "studyHash");
    run.condition = HeaderText(header, "condition");
    run.conditions = HeaderText(header, "conditions");
    run.assigned = HeaderText(header, "assigned");
    run.participant = ParticipantColumn(header);
    run.ending = RecordEnding(record);
    const Json identifiers = header.value("participant", Json::object());
    for (const auto& [key, value] : identifiers.items()) {
        run.identifiers.emplace_back(key, value.is_string() ? value.get<std::string>() : value.dump());
    }
    for (const RecordEvent& event : record.events) {
        run.games += event.event == "board" ? 1 : 0;
        run.decided += event.event == "outcome" ? 1 : 0;
        if (event.event == "code") {
            run.code = HeaderText(event.fields, "code");
        }
    }
    return run;
}

void WriteRunsCsv(const std::vector<RunRow>& runs, std::ostream& out)
{
    out << "file,study,study_hash,condition,conditions,assigned,participant,code,record,games,decided\n";
    for (const RunRow& run : runs) {
        out << CsvField(run.file) << "," << CsvField(run.study) << "," << run.studyHash << "," << run.condition << ","
            << run.conditions << "," << run.assigned << "," << CsvField(run.participant) << "," << CsvField(run.code)
            << "," << run.ending << "," << run.games << "," << run.decided << "\n";
    }
}

std::vector<std::string> MatchQuestionnaire(const std::vector<RunRow>& runs, const CsvTable& answers,
                                            const std::string& answersName, const QuestionnaireColumns& columns)
{
    const int codeColumn = NeedColumn(answers, columns.code, answersName);
    const int idColumn = columns.id.empty() ? -1 : NeedColumn(answers, columns.id, answersName);
    std::vector<std::string> findings;
    std::vector<bool> answered(runs.size(), false);
    const auto where = [&](size_t row) { return answersName + ":" + std::to_string(answers.lines[row]) + ": "; };
    for (size_t row = 0; row < answers.rows.size(); ++row) {
        const std::string typed = Field(answers, row, codeColumn);
        const std::string code = Normalised(typed);
        if (idColumn >= 0) {
            const std::string id = Field(answers, row, idColumn);
            const std::vector<const RunRow*> own = RunsOf(runs, columns.id, id);
            for (const RunRow* run : own) {
                answered[static_cast<size_t>(run - runs.data())] = true;
            }
            const bool agrees = std::any_of(own.begin(), own.end(), [&](const RunRow* run) { return run->code == code; });
            if (own.empty()) {
                findings.push_back(where(row) + columns.id + " " + id + " (code \"" + typed + "\"): no record");
            } else if (!agrees) {
                std::string shown;
                for (const RunRow* run : own) {
                    shown += (shown.empty() ? "" : ", ") + run->file + " showed \"" + run->code + "\"";
                }
                findings.push_back(where(row) + columns.id + " " + id + ": the code \"" + typed +
                                   "\" does not agree with the record (" + shown + ")");
            }
            continue;
        }
        // By code alone: several runs may show the same code, each answers one row.
        size_t match = 0;
        while (match < runs.size() && (answered[match] || runs[match].code.empty() || runs[match].code != code)) {
            ++match;
        }
        if (match < runs.size()) {
            answered[match] = true;
        } else {
            findings.push_back(where(row) + "the code \"" + typed + "\": no record shows it");
        }
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        // A run that never showed a code is one a participant left: no row is owed for it.
        if (!answered[i] && !runs[i].code.empty()) {
            findings.push_back(runs[i].file + ": the code \"" + runs[i].code + "\"" +
                               (runs[i].participant.empty() ? "" : " (" + runs[i].participant + ")") +
                               ": no questionnaire row");
        }
    }
    return findings;
}

std::vector<std::string> CountByCondition(const std::vector<RunRow>& runs)
{
    std::map<std::pair<std::string, std::string>, std::pair<int, int>> counts;  // (study, condition) -> runs
    for (const RunRow& run : runs) {
        // The same file name may stand for edited studies: the hash tells them apart.
        const std::string study = run.study.empty() ? "" : run.study + " (" + run.studyHash.substr(8, 8) + ")";
        auto& [complete, partial] = counts[{study, run.condition}];
        ++(run.ending == "complete" ? complete : partial);
    }
    std::vector<std::string> lines;
    for (const auto& [key, count] : counts) {
        const auto& [study, condition] = key;
        lines.push_back((study.empty() ? std::string("a run without its study") : study) + ", condition " +
                        (condition.empty() ? "none" : condition) + ": " + std::to_string(count.first) + " complete, " +
                        std::to_string(count.second) + " partial or cut");
    }
    return lines;
}
