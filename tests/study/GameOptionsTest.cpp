#include <gtest/gtest.h>

#include "study/GameOptions.h"

// The command line: nothing is a plain run, --seed takes one whole 32-bit number, anything else
// is refused with a reason (the game then prints the usage line and ends with 2).
TEST(GameOptions, ASeedIsAWhole32BitNumberAndAnythingElseIsRefused)
{
    struct Case {
        std::vector<std::string> args;
        std::string seed;  // as read, "none" without one, "refused" when refused; then the record folder
    };
    const Case cases[] = {
        {{}, "none"},
        {{"--seed", "42"}, "42"},
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
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<GameOptions> options = ParseGameOptions(c.args, error);
        const std::string got = !options ? "refused"
                                : (options->seed ? std::to_string(*options->seed) : "none") +
                                      (options->recordDir.empty() ? "" : " " + options->recordDir);
        EXPECT_EQ(got, c.seed) << "arguments: " << testing::PrintToString(c.args);
        EXPECT_EQ(error.empty(), options.has_value()) << "a refusal must say why: " << testing::PrintToString(c.args);
    }
}
