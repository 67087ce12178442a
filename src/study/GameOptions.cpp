#include "study/GameOptions.h"

#include <charconv>

const char* const gameUsage = "usage: torvane [--seed N] [--record DIR]   (N from 0 to 4294967295)";

namespace {
// A whole decimal number that fits, or nothing.
std::optional<uint32_t> ReadNumber(const std::string& text)
{
    uint32_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (text.empty() || problem != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}
}  // namespace

std::optional<GameOptions> ParseGameOptions(const std::vector<std::string>& args, std::string& error)
{
    GameOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seed") {
            options.seed = i + 1 < args.size() ? ReadNumber(args[++i]) : std::nullopt;
            if (!options.seed) {
                error = "--seed needs a whole number from 0 to 4294967295";
                return std::nullopt;
            }
        } else if (args[i] == "--record") {
            options.recordDir = i + 1 < args.size() ? args[++i] : "";
            if (options.recordDir.empty()) {
                error = "--record needs a folder";
                return std::nullopt;
            }
        } else {
            error = "unknown option " + args[i];
            return std::nullopt;
        }
    }
    return options;
}
