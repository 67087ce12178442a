#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "arena/ArenaOptions.h"

namespace {
std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

TEST(ArenaOptions, DefaultsAreOneGameOfEachOrderOnBothShippedMaps)
{
    ArenaOptions options = ParseArenaOptions({});
    ASSERT_EQ(options.pairs.size(), 1u);
    EXPECT_EQ(options.pairs[0].Name(), "minimax:hps");
    ASSERT_EQ(options.maps.size(), 2u);
    EXPECT_NE(options.maps[0].find("Map1.txt"), std::string::npos) << options.maps[0];
    EXPECT_NE(options.maps[1].find("Map2.txt"), std::string::npos) << options.maps[1];
    EXPECT_EQ(options.games, 1);
    EXPECT_EQ(options.turnCap, 120);
    EXPECT_EQ(options.order, SideOrder::Both);
    // 1 pairing x 2 maps x 1 game x 2 side orders.
    EXPECT_EQ(BuildSchedule(options).size(), 4u);
}

TEST(ArenaOptions, RepeatedOptionsAccumulate)
{
    ArenaOptions options = ParseArenaOptions(
        Words("--pair random:passive --pair hps:minimax --map a.txt --map b.txt --map c.txt --games 3 "
              "--seed 4294967295 --turn-cap 7 --order ba --out results --quiet"));
    ASSERT_EQ(options.pairs.size(), 2u);
    EXPECT_EQ(options.pairs[0].a, "random");
    EXPECT_EQ(options.pairs[0].b, "passive");
    EXPECT_EQ(options.pairs[1].Name(), "hps:minimax");
    EXPECT_EQ(options.maps, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(options.games, 3);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_EQ(options.turnCap, 7);
    EXPECT_EQ(options.order, SideOrder::BFirst);
    EXPECT_EQ(options.outDir, "results");
    EXPECT_TRUE(options.quiet);
}

struct BadLine {
    const char* args;
    const char* blame;  // what the message must name
};

std::ostream& operator<<(std::ostream& out, const BadLine& line)
{
    return out << "\"" << line.args << "\"";
}

class ArenaBadArguments : public testing::TestWithParam<BadLine> {};

const BadLine badLines[] = {
    {"--games 0", "--games"},              // at least one game
    {"--games -2", "--games"},
    {"--games 3x", "--games"},             // trailing junk is not a number
    {"--games", "--games wants a value"},  // value missing at the end
    {"--seed -1", "--seed"},               // seeds are unsigned 32-bit
    {"--seed 4294967296", "--seed"},
    {"--turn-cap 0", "--turn-cap"},
    {"--pair minimax", "A:B"},             // no colon
    {"--pair minimax:chess", "chess"},     // unknown opponent
    {"--pair :hps", "\"\""},               // empty opponent name
    {"--order up", "--order"},
    {"--map", "--map wants a value"},
    {"--fast", "unknown option --fast"},
    {"Map1.txt", "--map"},                 // a bare file: tell how to give maps
};

TEST_P(ArenaBadArguments, AreRefusedWithAMessageNamingTheCulprit)
{
    const BadLine& line = GetParam();
    try {
        ParseArenaOptions(Words(line.args));
        FAIL() << "accepted: " << line.args;
    } catch (const UsageError& error) {
        EXPECT_NE(std::string(error.what()).find(line.blame), std::string::npos)
            << "arguments: " << line.args << "\nmessage: " << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, ArenaBadArguments, testing::ValuesIn(badLines));

TEST(ArenaSchedule, EveryGameHasItsOwnSeedAndBothOrdersAlternate)
{
    ArenaOptions options = ParseArenaOptions(Words("--pair minimax:hps --pair random:passive --map m1 --map m2 "
                                                   "--games 3 --seed 100"));
    std::vector<MatchSetup> schedule = BuildSchedule(options);
    // 2 pairings x 2 maps x 3 games x 2 orders.
    ASSERT_EQ(schedule.size(), 24u);
    for (size_t i = 0; i < schedule.size(); ++i) {
        const MatchSetup& game = schedule[i];
        EXPECT_EQ(game.index, static_cast<int>(i));
        EXPECT_EQ(game.seed, 100u + i) << "game " << i;
        // Pairing, then map, then game number, then order: blocks of 12, 6 and 2.
        EXPECT_EQ(game.pair.Name(), i < 12 ? "minimax:hps" : "random:passive") << "game " << i;
        EXPECT_EQ(game.map, (i / 6) % 2 == 0 ? "m1" : "m2") << "game " << i;
        EXPECT_EQ(game.aIsSideZero, i % 2 == 0) << "game " << i;
        EXPECT_EQ(game.SideKind(0), game.aIsSideZero ? game.pair.a : game.pair.b) << "game " << i;
        EXPECT_EQ(game.SideKind(1), game.aIsSideZero ? game.pair.b : game.pair.a) << "game " << i;
    }
}

TEST(ArenaSchedule, OneSidedOrderPlaysOnlyThatOrder)
{
    for (const char* order : {"ab", "ba"}) {
        std::vector<MatchSetup> schedule =
            BuildSchedule(ParseArenaOptions(Words(std::string("--map m --games 3 --order ") + order)));
        ASSERT_EQ(schedule.size(), 3u) << order;
        for (const MatchSetup& game : schedule) {
            EXPECT_EQ(game.aIsSideZero, order == std::string("ab")) << "order " << order << ", game " << game.index;
        }
    }
}

TEST(ArenaSchedule, SeedsWrapAroundPastTheLargest)
{
    std::vector<MatchSetup> schedule = BuildSchedule(ParseArenaOptions(Words("--map m --seed 4294967294")));
    ASSERT_EQ(schedule.size(), 2u);
    EXPECT_EQ(schedule[0].seed, 4294967294u);
    EXPECT_EQ(schedule[1].seed, 4294967295u);
    schedule = BuildSchedule(ParseArenaOptions(Words("--map m --games 2 --seed 4294967295")));
    EXPECT_EQ(schedule[1].seed, 0u);
}

TEST(ArenaSchedule, ReplayCommandPlaysThatGameAlone)
{
    ArenaOptions options = ParseArenaOptions(
        Words("--pair minimax:random --pair passive:hps --map maps/m1.txt --map m2.txt --games 2 --seed 40 "
              "--turn-cap 33"));
    std::set<uint32_t> seeds;
    for (const MatchSetup& game : BuildSchedule(options)) {
        std::vector<std::string> words = Words(ReplayCommand(game));
        ASSERT_EQ(words.front(), "torvane-arena");
        words.erase(words.begin());
        std::vector<MatchSetup> replay = BuildSchedule(ParseArenaOptions(words));
        ASSERT_EQ(replay.size(), 1u) << ReplayCommand(game);
        EXPECT_EQ(replay[0].seed, game.seed) << ReplayCommand(game);
        EXPECT_EQ(replay[0].pair.Name(), game.pair.Name()) << ReplayCommand(game);
        EXPECT_EQ(replay[0].map, game.map) << ReplayCommand(game);
        EXPECT_EQ(replay[0].aIsSideZero, game.aIsSideZero) << ReplayCommand(game);
        EXPECT_EQ(replay[0].turnCap, 33) << ReplayCommand(game);
        seeds.insert(game.seed);
    }
    EXPECT_EQ(seeds.size(), 16u) << "every game of the run needs a seed of its own";
}

TEST(ArenaSchedule, ReplayCommandQuotesAMapPathForTheShell)
{
    MatchSetup game;
    game.pair = {"minimax", "hps"};
    game.map = "my maps/it's.txt";
    std::string command = ReplayCommand(game);
    EXPECT_NE(command.find(" --map 'my maps/it'\\''s.txt' "), std::string::npos) << command;
}
}  // namespace
