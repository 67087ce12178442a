#pragma once

#include <string>

// Text for the tools' reports: numbers, CSV fields and SVG text.
std::string Fixed(double value, int decimals);
// Quoted as CSV wants it when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);
std::string SvgText(const std::string& text);
