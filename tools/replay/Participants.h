#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "common/CsvTable.h"
#include "record/RecordReader.h"

// One run of the study, as the researcher matches it with the questionnaire (the CSV columns, in order).
struct RunRow {
    std::string file;
    std::string study;
    std::string studyHash;
    std::string condition;   // the condition's number, "" when the run had none
    std::string conditions;  // how many the study has
    std::string assigned;    // how the condition was assigned
    std::string participant;  // the identifiers, as --summary writes them
    std::string code;        // the result code the run showed, "" before it
    std::string ending;      // complete, partial or cut
    int32_t games = 0;       // boards begun
    int32_t decided = 0;     // boards played to their outcome
    std::vector<std::pair<std::string, std::string>> identifiers;
};

RunRow SummariseRun(const Record& record);
void WriteRunsCsv(const std::vector<RunRow>& runs, std::ostream& out);

// Which questionnaire column holds the code, and (optional) which holds an identifier that the
// runs were given under the same name.
struct QuestionnaireColumns {
    std::string code;
    std::string id;
};

// What does not agree between the runs and the questionnaire's rows, one finding a line: rows with no
// run, runs that showed a code with no row, and (matched by identifier) codes that differ from their
// run's. Codes are compared without surrounding spaces and case. Throws std::runtime_error when a
// column is not in the questionnaire.
std::vector<std::string> MatchQuestionnaire(const std::vector<RunRow>& runs, const CsvTable& answers,
                                            const std::string& answersName, const QuestionnaireColumns& columns);
// Complete and partial runs per condition, a line each.
std::vector<std::string> CountByCondition(const std::vector<RunRow>& runs);
