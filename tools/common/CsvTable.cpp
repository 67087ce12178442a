#include "common/CsvTable.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

int CsvTable::Column(const std::string& name) const
{
    const auto found = std::find(header.begin(), header.end(), name);
    return found == header.end() ? -1 : static_cast<int>(found - header.begin());
}

CsvTable ParseCsv(const std::string& text, const std::string& name)
{
    CsvTable table;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    int rowLine = 1;
    int quoteLine = 0;
    const size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    const auto endRow = [&] {
        row.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
        // A blank line (one empty field) is no response.
        if (row.size() > 1 || !row[0].empty()) {
            rows.push_back(std::move(row));
            lines.push_back(rowLine);
        }
        row.clear();
    };
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                line += c == '\n' ? 1 : 0;
                field += c;
            }
        } else if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
            quoteLine = line;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            fieldStarted = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            endRow();
            rowLine = ++line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        throw std::runtime_error(name + ":" + std::to_string(quoteLine) + ": a quoted field is never closed");
    }
    if (fieldStarted || !row.empty()) {
        endRow();
    }
    if (rows.empty()) {
        throw std::runtime_error(name + ":1: no header row");
    }
    table.header = std::move(rows.front());
    table.rows.assign(std::make_move_iterator(rows.begin() + 1), std::make_move_iterator(rows.end()));
    table.lines.assign(lines.begin() + 1, lines.end());
    return table;
}

CsvTable ReadCsvFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(path + ": cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseCsv(text.str(), path);
}
