#include <filesystem>
#include <fstream>
#include <sstream>

#include "record/RecordReader.h"
#include "replay/Replay.h"
#include "support/TestGame.h"

// Everything the record fuzzer kept and everything that ever broke the reader or the replay is
// either refused with a RecordError that names its file, or replayed to a result (on any map,
// with the fuzzer's search budget). By name: the
// genuine records (real-, study-) match to their end, which also guards the rules and both
// opponents (NOTE: a deliberate change of an opponent's play means recording them again), and
// real-human-stale holds a move made from a selection taken before an undo (Z keeps it), which
// the restored board's rules do not offer; the hand-broken ones (broken-) never pass as whole
// matching records.
TEST(RecordFuzzRegression, EveryKeptInputIsReplayedOrRefusedCleanly)
{
    size_t inputs = 0;
    for (const char* folder : {"record-corpus", "record-crashers"}) {
        const std::filesystem::path path = TestDataPath("../fuzz/") + folder;
        if (!std::filesystem::exists(path)) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            const std::string name = entry.path().filename().string();
            const bool genuine = name.rfind("real-", 0) == 0 || name.rfind("study-", 0) == 0;
            const bool broken = name.rfind("broken-", 0) == 0;
            ++inputs;
            try {  // anything else thrown fails the test as it is
                const Record record = ParseRecord(FileText(entry.path().string()), name);
                const ReplayResult result = ReplayRecord(record, {.searchBudget = 100'000, .anyMap = true});  // as the fuzzer
                const bool matches = result.verdict == Verdict::Matches;
                EXPECT_TRUE(matches || (result.line >= 1 && !result.message.empty())) << name;
                EXPECT_TRUE(!genuine || matches) << name << ":" << result.line << ": " << result.message;
                EXPECT_TRUE(!broken || !matches) << name << " passes as a whole record";
            } catch (const RecordError& error) {
                EXPECT_EQ(std::string(error.what()).rfind(name + ":", 0), 0u) << error.what();
                EXPECT_FALSE(genuine) << error.what();
            }
        }
    }
    EXPECT_GE(inputs, 30u) << "the fuzz inputs were not found";
}
