#include "arena/ArenaOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {
// A whole decimal number within [low, high]; nothing else on the argument.
int64_t ParseNumber(const std::string& option, const std::string& text, int64_t low, int64_t high)
{
    int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high) {
        throw UsageError(option + " wants a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not \"" + text + "\"");
    }
    return value;
}

Pairing ParsePairing(const std::string& text)
{
    size_t colon = text.find(':');
    if (colon == std::string::npos) {
        throw UsageError("--pair wants A:B, not \"" + text + "\"");
    }
    Pairing pair{text.substr(0, colon), text.substr(colon + 1)};
    const std::vector<std::string>& kinds = ControllerKinds();
    for (const std::string& kind : {pair.a, pair.b}) {
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) {
            throw UsageError("--pair: unknown opponent \"" + kind + "\" (known: minimax, hps, passive, random)");
        }
    }
    return pair;
}

SideOrder ParseOrder(const std::string& text)
{
    if (text == "both") {
        return SideOrder::Both;
    }
    if (text == "ab") {
        return SideOrder::AFirst;
    }
    if (text == "ba") {
        return SideOrder::BFirst;
    }
    throw UsageError("--order wants both, ab or ba, not \"" + text + "\"");
}

// Quotes an argument for a POSIX shell when it holds anything but safe characters.
std::string ShellWord(const std::string& word)
{
    bool safe = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::string("/._-+:=,").find(c) != std::string::npos;
    });
    if (safe) {
        return word;
    }
    std::string quoted = "'";
    for (char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}
}  // namespace

const std::vector<std::string>& ControllerKinds()
{
    static const std::vector<std::string> kinds = {"minimax", "hps", "passive", "random"};
    return kinds;
}

std::vector<std::string> ShippedMaps()
{
    return {std::string(TORVANE_SHIPPED_DATA_DIR) + "/Map1.txt", std::string(TORVANE_SHIPPED_DATA_DIR) + "/Map2.txt"};
}

std::string ArenaUsage()
{
    return "usage: torvane-arena [options]\n"
           "Plays games between computer sides without a window and reports the results.\n"
           "\n"
           "  --pair A:B      opponents, each minimax (\"a\"), hps (\"b\"), passive or random;\n"
           "                  repeatable (default minimax:hps)\n"
           "  --map FILE      board to play on; repeatable (default the shipped Map1.txt and Map2.txt)\n"
           "  --games N       games per pairing, map and side order (default 1)\n"
           "  --order O       side orders: both (A as side 0, then B as side 0), ab or ba (default both)\n"
           "  --seed S        game number i of the run uses seed S+i (default 1)\n"
           "  --turn-cap T    a game not decided after T turns (of either side) is a draw (default 120)\n"
           "  --out DIR       write games.csv, turns.csv and think-time.svg into DIR\n"
           "  --record DIR    write each game's record (see RECORD.md) into DIR, a file per game\n"
           "  --quiet         print only the final table\n"
           "  -h, --help      this text\n"
           "\n"
           "Each game line names the command that replays that game alone.\n"
           "Exit status: 0 done, 1 cannot write the output, 2 bad arguments, 3 bad map file.\n";
}

ArenaOptions ParseArenaOptions(const std::vector<std::string>& args)
{
    ArenaOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw UsageError(arg + " wants a value");
            }
            return args[++i];
        };
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--games") {
            options.games = static_cast<int>(ParseNumber(arg, value(), 1, 1000000));
        } else if (arg == "--pair") {
            options.pairs.push_back(ParsePairing(value()));
        } else if (arg == "--map") {
            options.maps.push_back(value());
        } else if (arg == "--seed") {
            options.seed = static_cast<uint32_t>(ParseNumber(arg, value(), 0, UINT32_MAX));
        } else if (arg == "--turn-cap") {
            options.turnCap = static_cast<int>(ParseNumber(arg, value(), 1, 1000000));
        } else if (arg == "--order") {
            options.order = ParseOrder(value());
        } else if (arg == "--out") {
            options.outDir = value();
            if (options.outDir.empty()) {
                throw UsageError("--out wants a directory");
            }
        } else if (arg == "--record") {
            options.recordDir = value();
            if (options.recordDir.empty()) {
                throw UsageError("--record wants a directory");
            }
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else {
            throw UsageError("unexpected argument \"" + arg + "\" (maps are given with --map)");
        }
    }
    if (options.pairs.empty()) {
        options.pairs.push_back({"minimax", "hps"});
    }
    if (options.maps.empty()) {
        options.maps = ShippedMaps();
    }
    return options;
}

std::vector<MatchSetup> BuildSchedule(const ArenaOptions& options)
{
    std::vector<bool> orders;  // aIsSideZero, in play order
    if (options.order != SideOrder::BFirst) {
        orders.push_back(true);
    }
    if (options.order != SideOrder::AFirst) {
        orders.push_back(false);
    }
    std::vector<MatchSetup> schedule;
    for (const Pairing& pair : options.pairs) {
        for (const std::string& map : options.maps) {
            for (int game = 0; game < options.games; ++game) {
                for (bool aIsSideZero : orders) {
                    MatchSetup match;
                    match.index = static_cast<int>(schedule.size());
                    // Wraps past 2^32 - 1 like any unsigned seed.
                    match.seed = options.seed + static_cast<uint32_t>(match.index);
                    match.pair = pair;
                    match.map = map;
                    match.aIsSideZero = aIsSideZero;
                    match.turnCap = options.turnCap;
                    match.recordDir = options.recordDir;
                    schedule.push_back(match);
                }
            }
        }
    }
    return schedule;
}

std::string ReplayCommand(const MatchSetup& game)
{
    return "torvane-arena --pair " + game.pair.Name() + " --map " + ShellWord(game.map) + " --order " +
           (game.aIsSideZero ? "ab" : "ba") + " --games 1 --seed " + std::to_string(game.seed) + " --turn-cap " +
           std::to_string(game.turnCap);
}
