#include <gtest/gtest.h>

#include <sstream>

#include "study/GameOptions.h"

// The command line: nothing is a plain run, --seed takes one whole 32-bit number, --participant
// unique NAME=VALUE pairs within their limits (split at the first '='), --study a file name, --condition a number,
// --simulate a number of runs with a record folder (--seat and --dropout only with it); anything else is refused
// with a reason (the game then prints the usage line and ends with 2).
TEST(GameOptions, ASeedIsAWhole32BitNumberAndAnythingElseIsRefused)
{
    struct Case {
        std::vector<std::string> args;
        std::string seed;  // as read, "none" without one, "refused" when refused; then the record folder
    };
    const Case cases[] = {
        {{}, "none"},
        {{"--seed", "0"}, "0"},
        {{"--seed", "4294967295"}, "4294967295"},
        {{"--seed", "4294967296"}, "refused"},  // one past the largest
        {{"--seed", "-1"}, "refused"},
        {{"--seed", "12x"}, "refused"},
        {{"--seed", ""}, "refused"},
        {{"--seed"}, "refused"},
        {{"42"}, "refused"},
        {{"--seed", "7", "--record"}, "refused"},
        {{"--record", ""}, "refused"},
        {{"--record", "out dir", "--seed", "3"}, "3 out dir"},
        {{"--participant", "PID=a=b&c d", "--participant", "S=", "--seed", "1"}, "1 PID:a=b&c d S:"},
        {{"--participant", "PID=1", "--participant", "PID=2"}, "refused"},
        {{"--participant", "=1"}, "refused"},
        {{"--participant", "PID"}, "refused"},
        {{"--participant"}, "refused"},
        {{"--participant", std::string(64, 'n') + "=" + std::string(256, 'v')}, "none " + std::string(64, 'n') + ":" + std::string(256, 'v')},
        {{"--participant", std::string(65, 'n') + "=1"}, "refused"},
        {{"--participant", "P=" + std::string(257, 'v')}, "refused"},
        {{"--study", "de.toml", "--seed", "5"}, "5 study:de.toml"},
        {{"--study", ""}, "refused"},
        {{"--study"}, "refused"},
        {{"--condition", "7"}, "none condition:7"},
        {{"--condition", "x"}, "refused"},
        {{"--simulate", "24", "--record", "r", "--seat", "hps", "--dropout", "0.25"}, "none r simulate:24 hps 0.25"},
        {{"--simulate", "3", "--record", "r"}, "none r simulate:3 random 0"},
        {{"--simulate", "3"}, "refused"},  // simulated runs are for their records
        {{"--simulate", "0", "--record", "r"}, "refused"},
        {{"--simulate", "100001", "--record", "r"}, "refused"},
        {{"--simulate", "3", "--record", "r", "--seat", "human"}, "refused"},
        {{"--simulate", "3", "--record", "r", "--dropout", "1.5"}, "refused"},
        {{"--simulate", "3", "--record", "r", "--dropout", "nan"}, "refused"},
        {{"--simulate", "3", "--record", "r", "--condition", "1"}, "refused"},
        {{"--seat", "hps"}, "refused"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<GameOptions> options = ParseGameOptions(c.args, error);
        std::string got = !options ? "refused"
                                   : (options->seed ? std::to_string(*options->seed) : "none") +
                                         (options->recordDir.empty() ? "" : " " + options->recordDir);
        got += options && !options->studyFile.empty() ? " study:" + options->studyFile : "";
        got += options && options->condition ? " condition:" + std::to_string(*options->condition) : "";
        if (options && options->simulate) {
            std::ostringstream dropout;
            dropout << options->dropout;
            got += " simulate:" + std::to_string(*options->simulate) + " " + options->seat + " " + dropout.str();
        }
        for (const auto& [name, value] : options ? options->participant : decltype(options->participant){}) {
            got += " " + name + ":" + value;
        }
        EXPECT_EQ(got, c.seed) << "arguments: " << testing::PrintToString(c.args);
        EXPECT_EQ(error.empty(), options.has_value()) << "a refusal must say why: " << testing::PrintToString(c.args);
    }
}
