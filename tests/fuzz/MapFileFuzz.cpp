// libFuzzer target for the map pipeline (scripts/fuzz.sh): every input is a map file, which the
// loader either refuses at a line or accepts; what it accepts becomes a game, played for a few
// turns by the random side against each scored opponent (MapPipeline.h). A crash, a sanitizer
// report, an exception other than a refusal, or a broken promise is a finding.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <unistd.h>

#include "fuzz/MapPipeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The game reads its map from a file; one scratch file per fuzzing process.
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder != nullptr ? folder : "/tmp") + "/torvane-fuzz-" + std::to_string(getpid()) + ".txt";
    }();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    const std::string broken = RunMapPipeline(path);
    if (!broken.empty()) {
        std::fprintf(stderr, "map pipeline: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
