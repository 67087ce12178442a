#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

// The study record: one JSON object per line, UTF-8. The first line names the format and its
// version; every later line is one event. RECORD.md describes every event and field.
// NOTE: raise recordVersion whenever a field is added, removed or changes meaning, and say
// so in RECORD.md: the researcher's analysis reads these files.
namespace record {
using Json = nlohmann::ordered_json;

inline constexpr const char* formatName = "torvane-record";
inline constexpr int32_t recordVersion = 2;
// The oldest version this game's tools still read.
inline constexpr int32_t oldestRecordVersion = 1;
// The program writing the record, as the build names it.
inline constexpr const char* gameVersion = TORVANE_VERSION;
inline constexpr const char* platformName = TORVANE_PLATFORM;

// A hash of a text's bytes, written as "fnv1a64:" and 16 hexadecimal digits.
std::string TextHash(const std::string& text);
}  // namespace record
