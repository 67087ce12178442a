#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "record/RecordFormat.h"
#include "record/RunCensus.h"
#include "support/TestGame.h"

namespace {
namespace fs = std::filesystem;

std::string Utc(std::time_t time)
{
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&time));
    return text;
}

// Whether another process can lock the folder's lock file now.
bool OthersCanLock(const fs::path& folder)
{
    const pid_t child = fork();
    if (child == 0) {
        const int file = open((folder / RunCensus::lockName).c_str(), O_RDWR);
        _exit(file >= 0 && flock(file, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
}  // namespace

// A folder's runs by condition: those of the study that reached their code, and those started within
// the stale time that have not; a stale run, another study's, a condition out of range, a forced
// (test) run, a simulated one among real ones, a file that is not a record or not a .jsonl are left out. The count holds the folder's lock against other
// machines until it is done with.
TEST(RunCensus, CountsTheStudysRunsThatMayStillFillTheirCondition)
{
    const fs::path folder = fs::temp_directory_path() / ("torvane-census-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::time_t now = 2'000'000'000;
    const auto put = [&](const std::string& name, const std::string& hash, int condition, std::time_t started, bool code,
                         const char* source = "study", const char* assigned = "balanced") {
        std::ofstream(folder / name) << R"({"format":"torvane-record","version":2,"source":")" << source
                                     << R"(","assigned":")" << assigned << R"(","started":")" << Utc(started)
                                     << R"(","condition":)" << condition << R"(,"conditions":3,"studyHash":")" << hash
                                     << "\"}\n{\"t\":5,\"event\":\"scene\"}\n"
                                     << (code ? "{\"t\":9,\"event\":\"code\",\"code\":\"a01\"}\n" : "");
    };
    put("a.jsonl", "h", 0, now - 3 * 3600, true);   // complete, long ago
    put("b.jsonl", "h", 0, now - 60, false);        // still playing
    put("c.jsonl", "h", 1, now - 3 * 3600, false);  // stale
    put("d.jsonl", "h", 2, now - 3 * 3600, true);
    put("e.jsonl", "other", 1, now, true);          // another study
    put("f.jsonl", "h", 3, now, true);              // no such condition
    put("g.txt", "h", 1, now, true);                // not a record file
    put("j.jsonl", "h", 1, now, true, "study", "forced");  // a test of a condition
    put("k.jsonl", "h", 1, now, true, "simulated");     // a rehearsal, apart from real runs
    std::ofstream(folder / "h.jsonl") << "not json\n";
    std::ofstream(folder / "i.jsonl");              // made, not yet begun

    std::string error;
    {
        const auto census = RunCensus::Take(folder.string(), error);
        ASSERT_NE(census, nullptr) << error;
        EXPECT_FALSE(OthersCanLock(folder));
        EXPECT_EQ(census->Count("h", 3, 90, now), (std::vector<int32_t>{2, 0, 1}));
        EXPECT_EQ(census->Count("h", 3, 0, now), (std::vector<int32_t>{1, 0, 1}));
        EXPECT_EQ(census->Count("h", 3, 0, now, "simulated"), (std::vector<int32_t>{0, 1, 0}));
    }
    EXPECT_TRUE(OthersCanLock(folder));
    EXPECT_EQ(RunCensus::Take((folder / "none").string(), error), nullptr);
    EXPECT_NE(error.find("cannot lock"), std::string::npos) << error;
    fs::remove_all(folder);

    // Ties are broken by the random number; a single least-filled condition is always taken.
    EXPECT_EQ(LeastFilled({2, 0, 1}, 7), 1);
    EXPECT_EQ(LeastFilled({1, 0, 0, 1}, 0), 1);
    EXPECT_EQ(LeastFilled({1, 0, 0, 1}, 1), 2);
    EXPECT_EQ(ParseUtc(Utc(now)), now);
    for (const char* bad : {"", "2026-12-07 19:35:43Z", "2026-13-07T19:35:43Z", "2026-12-07T19:35:43", "2026-12-07T19:35:43Zx"}) {
        EXPECT_EQ(ParseUtc(bad), -1) << bad;
    }
}
