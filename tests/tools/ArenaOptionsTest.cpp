#include <gtest/gtest.h>
#include <set>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "arena/ArenaOptions.h"
#include "support/TestGame.h"

namespace {
using rows::PrintTo;

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

// Everything a run is given but the maps, in one line.
std::string Summary(const ArenaOptions& o)
{
    std::string pairs;
    for (const Pairing& pair : o.pairs) {
        pairs += " " + pair.Name();
    }
    return "pairs" + pairs + " games " + std::to_string(o.games) + " seed " + std::to_string(o.seed) + " cap " +
           std::to_string(o.turnCap) + " order " + std::to_string(static_cast<int>(o.order)) + " out '" + o.outDir +
           "' quiet " + std::to_string(o.quiet);
}

TEST(ArenaOptions, DefaultsAreOneGameOfEachOrderOnBothShippedMaps)
{
    ArenaOptions options = ParseArenaOptions({});
    EXPECT_EQ(Summary(options), "pairs minimax:hps games 1 seed 1 cap 120 order 0 out '' quiet 0");
    ASSERT_EQ(options.maps.size(), 2u);
    EXPECT_NE(options.maps[0].find("Map1.txt"), std::string::npos) << options.maps[0];
    EXPECT_NE(options.maps[1].find("Map2.txt"), std::string::npos) << options.maps[1];
}

TEST(ArenaOptions, RepeatedOptionsAccumulate)
{
    ArenaOptions options = ParseArenaOptions(
        Words("--pair random:passive --pair hps:minimax --map a.txt --map b.txt --map c.txt --games 3 "
              "--seed 4294967295 --turn-cap 7 --order ba --out results --quiet"));
    EXPECT_EQ(Summary(options),
              "pairs random:passive hps:minimax games 3 seed 4294967295 cap 7 order 2 out 'results' quiet 1");
    EXPECT_EQ(options.order, SideOrder::BFirst) << "order 2";
    EXPECT_EQ(options.maps, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

struct BadLine {
    const char* name;  // the argument line
    const char* blame;  // what the message must name
};

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
        ParseArenaOptions(Words(line.name));
        FAIL() << "accepted: " << line.name;
    } catch (const UsageError& error) {
        EXPECT_NE(std::string(error.what()).find(line.blame), std::string::npos)
            << "arguments: " << line.name << "\nmessage: " << error.what();
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
        // Pairing, then map, then game number, then order: blocks of 12, 6 and 2.
        EXPECT_EQ(GameText(game), std::to_string(100 + i) + (i < 12 ? " minimax:hps " : " random:passive ") +
                                      ((i / 6) % 2 == 0 ? "m1" : "m2") + (i % 2 == 0 ? " A" : " B") + " cap 120");
        EXPECT_EQ(game.index, static_cast<int>(i));
        EXPECT_EQ(game.SideKind(0), game.aIsSideZero ? game.pair.a : game.pair.b) << "game " << i;
        EXPECT_EQ(game.SideKind(1), game.aIsSideZero ? game.pair.b : game.pair.a) << "game " << i;
    }
}

// "seed:A or B as side 0" for every game of the run.
std::string ScheduleText(const std::string& args)
{
    std::string text;
    for (const MatchSetup& game : BuildSchedule(ParseArenaOptions(Words(args)))) {
        text += std::to_string(game.seed) + (game.aIsSideZero ? ":A " : ":B ");
    }
    return text;
}

TEST(ArenaSchedule, OneSidedOrderPlaysOnlyThatOrderAndSeedsWrapAroundPastTheLargest)
{
    EXPECT_EQ(ScheduleText("--map m --games 3 --order ab"), "1:A 2:A 3:A ");
    EXPECT_EQ(ScheduleText("--map m --games 3 --order ba"), "1:B 2:B 3:B ");
    EXPECT_EQ(ScheduleText("--map m --seed 4294967294"), "4294967294:A 4294967295:B ");
    EXPECT_EQ(ScheduleText("--map m --games 2 --seed 4294967295"), "4294967295:A 0:B 1:A 2:B ");
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
        EXPECT_EQ(GameText(replay[0]), GameText(game)) << ReplayCommand(game);
        EXPECT_EQ(replay[0].turnCap, 33);
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
