#pragma once

#include <cstddef>
#include <cstdint>

// Counts the process's heap allocations and the peak of live bytes, through the
// global operator new/delete of the benchmark program.
struct AllocationStats {
    uint64_t allocations = 0;
    size_t liveBytes = 0;
    size_t peakBytes = 0;
};

AllocationStats& Allocations();
// Starts a new peak measurement from the bytes live now.
void ResetPeak();
