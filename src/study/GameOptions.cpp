#include "study/GameOptions.h"

#include <charconv>
#include <cstdlib>

const char* const gameUsage = "usage: torvane [--seed N] [--record DIR] [--participant NAME=VALUE ...] [--study FILE] [--condition K]\n"
    "       torvane --simulate RUNS --record DIR [--study FILE] [--seat random|minimax|hps] [--dropout P]\n"
    "(N from 0 to 4294967295, RUNS from 1 to 100000, P from 0 to 1)";

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
    bool seatGiven = false;  // --seat or --dropout
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
        } else if (args[i] == "--condition") {
            options.condition = i + 1 < args.size() ? ReadNumber(args[++i]) : std::nullopt;
            if (!options.condition) {
                error = "--condition needs a condition's number, from 0";
                return std::nullopt;
            }
        } else if (args[i] == "--simulate") {
            options.simulate = i + 1 < args.size() ? ReadNumber(args[++i]) : std::nullopt;
            if (!options.simulate || *options.simulate == 0 || *options.simulate > 100000) {
                error = "--simulate needs a number of runs from 1 to 100000";
                return std::nullopt;
            }
        } else if (args[i] == "--seat") {
            options.seat = i + 1 < args.size() ? args[++i] : "";
            if (options.seat != "random" && options.seat != "minimax" && options.seat != "hps") {
                error = "--seat is random, minimax or hps";
                return std::nullopt;
            }
            seatGiven = true;
        } else if (args[i] == "--dropout") {
            const std::string text = i + 1 < args.size() ? args[++i] : "";
            char* end = nullptr;
            options.dropout = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(options.dropout >= 0.0 && options.dropout <= 1.0)) {
                error = "--dropout needs a probability from 0 to 1";
                return std::nullopt;
            }
            seatGiven = true;
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
    if (options.simulate && options.recordDir.empty()) {
        error = "--simulate needs --record DIR: simulated runs are for their records";
        return std::nullopt;
    }
    if (seatGiven && !options.simulate) {
        error = "--seat and --dropout go with --simulate";
        return std::nullopt;
    }
    if (options.simulate && options.condition) {
        error = "--condition does not go with --simulate: each simulated run is assigned as the study says";
        return std::nullopt;
    }
    return options;
}
