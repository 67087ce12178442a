#include <filesystem>

#include "fuzz/MapPipeline.h"
#include "support/TestGame.h"

// Everything the fuzzer kept (its corpus) and everything that ever broke the map pipeline: each
// is refused at a line, or loads and gives short games the rules keep to.
TEST(MapFileFuzzRegression, EveryKeptInputIsRefusedAtALineOrPlayedByTheRules)
{
    size_t inputs = 0;
    for (const char* folder : {"corpus", "crashers"}) {
        for (const auto& entry : std::filesystem::directory_iterator(TestDataPath("../fuzz/") + folder)) {
            if (entry.path().filename() != ".gitkeep") {
                ++inputs;
                EXPECT_EQ(RunMapPipeline(entry.path().string()), "") << entry.path().filename();
            }
        }
    }
    EXPECT_GE(inputs, 20u) << "the fuzz inputs were not found";
}
