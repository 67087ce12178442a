#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

// The runs of one study in a record folder, counted by condition, so that a new run gets the
// least-filled one. Counting holds the folder's lock (a lock file beside the records): two machines
// sharing a network folder take their conditions one after the other, each seeing the other's run
// once its record's first line is written. The lock lasts as long as the census.
class RunCensus {
public:
    // Waits for the lock; null with `error` set when the lock file cannot be made or locked.
    static std::unique_ptr<RunCensus> Take(const std::string& folder, std::string& error);
    ~RunCensus();
    RunCensus(const RunCensus&) = delete;
    RunCensus& operator=(const RunCensus&) = delete;

    // For each of `conditions` conditions, the runs of the study with this hash and this `source`
    // ("study", or "simulated" for a simulation, which rehearses on its own runs) that reached their
    // result code, and those started less than `staleMinutes` before `now` that have not (they may
    // still reach it). Runs with a forced condition are tests and do not count; files that are not
    // records of the study are left out.
    std::vector<int32_t> Count(const std::string& studyHash, int32_t conditions, int32_t staleMinutes,
                               std::time_t now, const std::string& source = "study") const;

    // The name of the lock file in a record folder.
    static constexpr const char* lockName = "torvane-assign.lock";

private:
    RunCensus() = default;
    std::string folder;
#if defined(_WIN32)
    void* handle = nullptr;
#else
    int descriptor = -1;
#endif
};

// The condition with the fewest runs; among several, one chosen with `random`.
int32_t LeastFilled(const std::vector<int32_t>& counts, uint32_t random);
// Seconds since 1970 of a UTC time written "2026-12-07T19:35:43Z"; -1 for anything else.
std::time_t ParseUtc(const std::string& text);
