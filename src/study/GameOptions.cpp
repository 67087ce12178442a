#include "study/GameOptions.h"

#include <charconv>

const char* const gameUsage = "usage: torvane [--seed N] [--record DIR] [--participant NAME=VALUE ...] [--study FILE]   (N from 0 to 4294967295)";

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

// Adds NAME=VALUE to `ids`, or says why it cannot be taken.
std::string AddParticipant(const std::string& text, std::vector<std::pair<std::string, std::string>>& ids)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        return "--participant needs NAME=VALUE, not \"" + text + "\"";
    }
    std::string name = text.substr(0, equals);
    std::string value = text.substr(equals + 1);
    if (name.size() > maxParticipantName || value.size() > maxParticipantValue) {
        return "--participant " + name.substr(0, maxParticipantName) + ": names may be " +
               std::to_string(maxParticipantName) + " bytes long and values " + std::to_string(maxParticipantValue);
    }
    for (const auto& id : ids) {
        if (id.first == name) {
            return "--participant " + name + " is given twice";
        }
    }
    if (ids.size() == maxParticipantIds) {
        return "--participant: at most " + std::to_string(maxParticipantIds) + " identifiers";
    }
    ids.emplace_back(std::move(name), std::move(value));
    return "";
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
        } else if (args[i] == "--study") {
            options.studyFile = i + 1 < args.size() ? args[++i] : "";
            if (options.studyFile.empty()) {
                error = "--study needs a study file";
                return std::nullopt;
            }
        } else if (args[i] == "--participant") {
            error = AddParticipant(i + 1 < args.size() ? args[++i] : "", options.participant);
            if (!error.empty()) {
                return std::nullopt;
            }
        } else {
            error = "unknown option " + args[i];
            return std::nullopt;
        }
    }
    return options;
}
