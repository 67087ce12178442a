#include <iterator>
#include <sstream>

#include "arena/ArenaOptions.h"
#include "support/TestGame.h"

namespace {
std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// A game of a run: seed, pairing, map, which of A and B is side 0, turn cap.
std::string GameText(const MatchSetup& game)
{
    return std::to_string(game.seed) + " " + game.pair.Name() + " " + game.map + (game.aIsSideZero ? " A" : " B") +
           " cap " + std::to_string(game.turnCap);
}

TEST(ArenaOptions, DefaultsAndBadArguments)
{
    ArenaOptions defaults = ParseArenaOptions({});
    ASSERT_TRUE(defaults.pairs.size() == 1 && defaults.maps.size() == 2) << "one pairing, two maps";
    EXPECT_EQ(defaults.pairs[0].Name(), "minimax:hps");
    EXPECT_NE(defaults.maps[1].find("Map2.txt"), std::string::npos) << defaults.maps[1];
    const std::pair<const char*, const char*> lines[] = {
        {"--games 3x", "--games"}, {"--seed 4294967296", "--seed"}, {"--pair minimax:chess", "chess"},
        {"--map", "--map wants a value"}, {"--fast", "unknown option --fast"},
    };
    for (const auto& [line, blame] : lines) {
        try {
            ParseArenaOptions(Words(line));
            ADD_FAILURE() << "accepted: " << line;
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(blame), std::string::npos) << line << ": " << error.what();
        }
    }
}

// Pairing, then map, then game number, then order; every game has a seed of its own, seeds wrap past
// the largest, and the replay command of each game, read back as the shell would split it, plays
// exactly that game.
TEST(ArenaSchedule, OrderSeedsAndReplayCommands)
{
    ArenaOptions options = ParseArenaOptions(
        Words("--pair minimax:hps --pair random:passive --map m1 --map m2 --games 3 --seed 100"));
    options.maps[1] = "my maps/it's.txt";
    std::vector<MatchSetup> schedule = BuildSchedule(options);
    ASSERT_EQ(schedule.size(), 24u);
    for (size_t i = 0; i < schedule.size(); ++i) {
        EXPECT_EQ(GameText(schedule[i]), std::to_string(100 + i) + (i < 12 ? " minimax:hps " : " random:passive ") +
                                             ((i / 6) % 2 == 0 ? "m1" : "my maps/it's.txt") +
                                             (i % 2 == 0 ? " A" : " B") + " cap 120");
    }
    EXPECT_NE(ReplayCommand(schedule[6]).find(" --map 'my maps/it'\\''s.txt' "), std::string::npos)
        << ReplayCommand(schedule[6]);
    std::vector<std::string> words = Words(ReplayCommand(schedule[5]));  // B as side 0
    ASSERT_EQ(words.front(), "torvane-arena");
    std::vector<MatchSetup> replay = BuildSchedule(ParseArenaOptions({words.begin() + 1, words.end()}));
    ASSERT_EQ(replay.size(), 1u) << ReplayCommand(schedule[5]);
    EXPECT_EQ(GameText(replay[0]), GameText(schedule[5]));
    schedule = BuildSchedule(ParseArenaOptions(Words("--map m --games 2 --seed 4294967295 --order ab")));
    ASSERT_EQ(schedule.size(), 2u);
    EXPECT_EQ(GameText(schedule[1]), "0 minimax:hps m A cap 120");
}
}  // namespace
