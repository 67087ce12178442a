// libFuzzer target for the study record's reader and its replay: every input is either
// refused with RecordError or read and replayed to a result that names where it differs or stops.
// A crash, a sanitizer report or any other exception is a finding (scripts/fuzz.sh record).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "record/RecordReader.h"
#include "replay/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        // Any map, for the fuzzer to vary them; a budget that keeps each input short, far above the
        // few thousand steps a recorded turn takes.
        const ReplayResult result = ReplayRecord(ParseRecord(text, "fuzz"), {.searchBudget = 100'000, .anyMap = true});
        // A difference or a stop is on a line of the file, or on the one after its end.
        const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
        if (result.verdict != Verdict::Matches && (result.line < 1 || result.line > lines + 1 || result.message.empty())) {
            abort();
        }
    } catch (const RecordError&) {
        // A refusal that names the line is the reader doing its job.
    }
    return 0;
}
