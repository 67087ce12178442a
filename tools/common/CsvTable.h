#pragma once

#include <string>
#include <vector>

// A CSV file as a questionnaire tool exports it: a header row, then one row per response. Quoted
// fields may hold commas, quotes ("") and line breaks; a UTF-8 byte order mark is left out.
struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;  // the file's line on which each row begins

    // The column named `name`, or -1.
    int Column(const std::string& name) const;
};

// Throws std::runtime_error ("FILE:LINE: what") for a file that cannot be read, a quote that is
// never closed, or a file without a header row.
CsvTable ReadCsvFile(const std::string& path);
CsvTable ParseCsv(const std::string& text, const std::string& name);
