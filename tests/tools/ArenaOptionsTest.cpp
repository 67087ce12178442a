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

// By default minimax meets hps on both shipped maps. A bad argument is refused by name.
TEST(ArenaOptions, DefaultsAndBadArguments)
{
    ArenaOptions defaults = ParseArenaOptions({});
    ASSERT_TRUE(defaults.pairs.size() == 1 && defaults.maps.size() == 2) << "one pairing, two maps";
    EXPECT_EQ(defaults.pairs[0].Name(), "minimax:hps");
    EXPECT_TRUE(defaults.maps[0].ends_with("/Map1.txt") && defaults.maps[1].ends_with("/Map2.txt")) << defaults.maps[1];
    for (const auto& [line, blame] : {std::pair{"--games 3x", "--games"}, {"--pair minimax:chess", "chess"},
                                      {"--map", "--map wants a value"}, {"--fast", "unknown option --fast"}}) {
        try {
            ParseArenaOptions(Words(line));
            ADD_FAILURE() << "accepted: " << line;
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(blame), std::string::npos) << line << ": " << error.what();
        }
    }
}

// Pairing, then map, then game number, then order, each game with a seed of its own, wrapping past the
// largest; the replay command of a game, read back as the shell would split it, plays exactly that game.
TEST(ArenaSchedule, OrderSeedsAndReplayCommands)
{
    const std::vector<MatchSetup> schedule = BuildSchedule(ParseArenaOptions(
        Words("--pair minimax:hps --pair random:passive --map m1 --map m2 --games 2 --seed 4294967290")));
    ASSERT_EQ(schedule.size(), 16u);
    for (size_t i = 0; i < schedule.size(); ++i) {
        EXPECT_EQ(GameText(schedule[i]), std::to_string((4294967290u + i) % 4294967296u) +
                                             (i < 8 ? " minimax:hps " : " random:passive ") + (i % 8 < 4 ? "m1" : "m2") +
                                             (i % 2 == 0 ? " A" : " B") + " cap 120");
    }
    std::vector<std::string> words = Words(ReplayCommand(schedule[11]));  // B as side 0
    ASSERT_EQ(words.front(), "torvane-arena");
    std::vector<MatchSetup> replay = BuildSchedule(ParseArenaOptions({words.begin() + 1, words.end()}));
    ASSERT_EQ(replay.size(), 1u) << ReplayCommand(schedule[11]);
    EXPECT_EQ(GameText(replay[0]), GameText(schedule[11]));
    MatchSetup quoted = schedule[0];
    quoted.map = "my maps/it's.txt";
    EXPECT_NE(ReplayCommand(quoted).find(" --map 'my maps/it'\\''s.txt' "), std::string::npos) << ReplayCommand(quoted);
}
}  // namespace
