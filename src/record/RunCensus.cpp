#include "record/RunCensus.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "record/RecordFormat.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#define NOGDI
#define NOUSER
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::unique_ptr<RunCensus> RunCensus::Take(const std::string& folder, std::string& error)
{
    std::unique_ptr<RunCensus> census(new RunCensus());
    census->folder = folder;
    const fs::path lock = fs::path(folder) / lockName;
#if defined(_WIN32)
    HANDLE file = CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    OVERLAPPED whole = {};
    if (file == INVALID_HANDLE_VALUE || !LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
        error = "cannot lock " + lock.string() + " to balance the conditions";
        return nullptr;
    }
    census->handle = file;
#else
    const int file = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0660);
    if (file < 0 || flock(file, LOCK_EX) != 0) {
        if (file >= 0) {
            close(file);
        }
        error = "cannot lock " + lock.string() + " to balance the conditions";
        return nullptr;
    }
    census->descriptor = file;
#endif
    return census;
}

RunCensus::~RunCensus()
{
#if defined(_WIN32)
    OVERLAPPED whole = {};
    UnlockFileEx(handle, 0, 1, 0, &whole);
    CloseHandle(handle);
#else
    flock(descriptor, LOCK_UN);
    close(descriptor);
#endif
}

namespace {
// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}
}  // namespace

std::time_t ParseUtc(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char zone = 0;
    int length = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &year, &month, &day, &hour, &minute, &second, &zone,
                    &length) != 7 ||
        zone != 'Z' || static_cast<size_t>(length) != text.size() || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour > 23 || minute > 59 || second > 60) {
        return -1;
    }
    return static_cast<std::time_t>(DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second);
}

std::vector<int32_t> RunCensus::Count(const std::string& studyHash, int32_t conditions, int32_t staleMinutes,
                                      std::time_t now, const std::string& source) const
{
    std::vector<int32_t> counts(static_cast<size_t>(std::max(conditions, 0)), 0);
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(folder, code)) {
        if (!entry.is_regular_file(code) || entry.path().extension() != ".jsonl") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::string first;
        std::getline(in, first);
        const record::Json header = record::Json::parse(first, nullptr, false);
        if (!header.is_object() || header.value("studyHash", "") != studyHash || !header.contains("condition") ||
            !header["condition"].is_number_integer()) {
            continue;  // another study's record, one not begun, or not a record at all
        }
        if (header.value("source", "") != source || header.value("assigned", "") == "forced") {
            continue;  // a simulated participant among real ones (or the other way round), or a test run
        }
        const int64_t condition = header["condition"].get<int64_t>();
        if (condition < 0 || condition >= conditions) {
            continue;
        }
        // Its text, escaped within a line, cannot hold this: only a code event can.
        std::ostringstream rest;
        rest << in.rdbuf();
        const bool complete = rest.str().find("\"event\":\"code\"") != std::string::npos;
        const std::time_t started = ParseUtc(header.value("started", ""));
        const bool running = started >= 0 && now - started < static_cast<std::time_t>(staleMinutes) * 60;
        counts[static_cast<size_t>(condition)] += complete || running ? 1 : 0;
    }
    return counts;
}

int32_t LeastFilled(const std::vector<int32_t>& counts, uint32_t random)
{
    const int32_t fewest = *std::min_element(counts.begin(), counts.end());
    std::vector<int32_t> least;
    for (size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] == fewest) {
            least.push_back(static_cast<int32_t>(i));
        }
    }
    return least[random % least.size()];
}
