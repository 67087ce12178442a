#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A command line the arena cannot run; the message says what is wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Two controller kinds that meet: A and B (see ControllerKinds).
struct Pairing {
    std::string a;
    std::string b;
    std::string Name() const { return a + ":" + b; }
};

// Which side orders each game number is played in.
enum class SideOrder {
    Both,   // A as side 0, then B as side 0
    AFirst, // A as side 0 only
    BFirst, // B as side 0 only
};

struct ArenaOptions {
    int games = 1;  // per pairing, map and side order
    std::vector<Pairing> pairs;
    std::vector<std::string> maps;
    uint32_t seed = 1;
    int turnCap = 120;  // turns of either side; a game still open then is a draw
    SideOrder order = SideOrder::Both;
    std::string outDir;
    std::string recordDir;
    bool quiet = false;
    bool help = false;
};

// One game of a run. Its seed is the run's seed plus its index, so that
// `ReplayCommand` can play it alone.
struct MatchSetup {
    int index = 0;
    uint32_t seed = 0;
    Pairing pair;
    std::string map;
    bool aIsSideZero = true;
    int turnCap = 120;
    std::string recordDir = {};  // where the game's record goes; none when empty

    const std::string& SideKind(int side) const { return (side == 0) == aIsSideZero ? pair.a : pair.b; }
};

// "minimax", "hps", "passive", "random".
const std::vector<std::string>& ControllerKinds();
// The shipped boards, used when no --map is given.
std::vector<std::string> ShippedMaps();

// Reads the arguments after the program name; throws UsageError.
ArenaOptions ParseArenaOptions(const std::vector<std::string>& args);
std::string ArenaUsage();

// Every game of a run, in play order: pairing, then map, then game number, then side order.
std::vector<MatchSetup> BuildSchedule(const ArenaOptions& options);
// A command line that plays `game` alone, with the same seed, sides and map.
std::string ReplayCommand(const MatchSetup& game);
