#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <sstream>

#include "record/RecordFormat.h"
#include "record/RecordWriter.h"
#include "support/TestGame.h"

namespace {
namespace fs = std::filesystem;

// While it lives, no file of this process grows past `bytes`: a write across the limit stops short
// and the next fails, as on a full disk (with EFBIG for ENOSPC). Root is bound by it too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit limit = before;
        limit.rlim_cur = bytes;
        previous = signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &before);
        signal(SIGXFSZ, previous);
    }

private:
    rlimit before{};
    sighandler_t previous = SIG_DFL;
};

// The `index` of each scene line of a file, checking that the first line is the run's and every
// line is whole.
std::vector<int> SceneIndexes(const std::string& file)
{
    const std::vector<std::string> lines = Lines(FileText(file));
    EXPECT_TRUE(!lines.empty() && record::Json::parse(lines[0]).value("format", "") == record::formatName);
    std::vector<int> indexes;
    for (size_t i = 1; i < lines.size(); ++i) {
        const record::Json scene = record::Json::parse(lines[i], nullptr, false);
        EXPECT_FALSE(scene.is_discarded()) << "a broken line: " << lines[i];
        indexes.push_back(scene.is_discarded() ? -1 : scene.value("index", -1));
    }
    return indexes;
}

// What happens once the file takes writes again: `lines` scenes in the record by then.
struct Recovery {
    const char* name;
    std::function<void(std::unique_ptr<RecordWriter>&)> then;
    int lines;
};

void PrintTo(const Recovery& recovery, std::ostream* out)
{
    *out << recovery.name;
}

class RecordWriterOnDisk : public testing::TestWithParam<Recovery> {};
}  // namespace

// A write that stops mid-line (the record's file may not grow) leaves the file a prefix of the
// record; the writer keeps the rest and mends the file at the next event, at the end of the run's
// last try (CatchUp) or when it is destroyed.
TEST_P(RecordWriterOnDisk, AFileThatFailedIsWrittenWholeOnceItTakesWrites)
{
    TempFolder folder;
    std::string error;
    auto writer = RecordWriter::CreateIn(folder.path.string(), error);
    ASSERT_NE(writer, nullptr) << error;
    const std::string path = writer->Path();
    writer->RunStarted({});
    {
        FileSizeLimit full(4096);
        for (int index = 0; index < 100; ++index) {  // about 50 bytes each
            writer->SceneShown("title", index);
        }
        EXPECT_EQ(writer->Failure(), std::strerror(EFBIG));
        EXPECT_EQ(fs::file_size(path), 4096u) << "the writes did not go on up to the limit";
        EXPECT_FALSE(writer->CatchUp());
    }
    GetParam().then(writer);
    if (writer != nullptr) {
        EXPECT_EQ(writer->Failure(), "");
    }
    std::vector<int> upto(static_cast<size_t>(GetParam().lines));
    std::iota(upto.begin(), upto.end(), 0);
    EXPECT_EQ(SceneIndexes(path), upto);
}

INSTANTIATE_TEST_SUITE_P(
    Recoveries, RecordWriterOnDisk,
    testing::Values(Recovery{"NextEvent", [](auto& writer) { writer->SceneShown("title", 100); }, 101},
                    Recovery{"CatchUp", [](auto& writer) { EXPECT_TRUE(writer->CatchUp()); }, 100},
                    Recovery{"Destroyed", [](auto& writer) { writer.reset(); }, 100}),
    [](const testing::TestParamInfo<Recovery>& info) { return info.param.name; });

// The study checks its record folder before it looks for its files, which may move the working
// directory: the folder comes back absolute, and the probe that tried it is gone again.
TEST(RecordFolder, IsCheckedWithoutLeavingAFileAndMadeAbsolute)
{
    TempFolder folder;
    std::string checked = fs::relative(folder.path).string();
    std::string error;
    ASSERT_TRUE(RecordWriter::CheckFolder(checked, error)) << error;
    EXPECT_TRUE(fs::path(checked).is_absolute()) << checked;
    EXPECT_TRUE(fs::equivalent(checked, folder.path)) << checked;
    EXPECT_TRUE(fs::is_empty(folder.path));

    std::ofstream(folder.path / "file") << "x";
    for (const auto& [name, said] : {std::pair{"missing", "does not exist"}, std::pair{"file", "is not a folder"}}) {
        std::string wrong = (folder.path / name).string();
        EXPECT_FALSE(RecordWriter::CheckFolder(wrong, error)) << name;
        EXPECT_NE(error.find(said), std::string::npos) << error;
    }
}
