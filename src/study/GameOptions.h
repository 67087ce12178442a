#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the command line can ask of the game. A plain run gives none of these.
struct GameOptions {
    // --seed N: the run's random draws (the opponents' order and the maps) repeat those of an
    // earlier run with the same N; without it the time seeds them.
    std::optional<uint32_t> seed;
    // --record DIR: a record of the whole run (RECORD.md) is written into DIR as it goes.
    std::string recordDir;
    // --participant NAME=VALUE, repeated: identifiers written into the record's first line, in
    // the order given. Names are unique; the page passes its own address's parameters this way.
    std::vector<std::pair<std::string, std::string>> participant;
    // --study FILE: the study file to run instead of the study.toml beside the game's data.
    std::string studyFile;
    // --condition K: the run gets the study's condition K (from 0), for testing a condition.
    std::optional<uint32_t> condition;
    // --simulate N (with --record DIR) [--seat random|minimax|hps] [--dropout P]: N simulated
    // participants play the study without a window.
    std::optional<uint32_t> simulate;
    std::string seat = "random";
    double dropout = 0.0;
};

// What --participant takes: at most this many, names and values at most this long (in bytes).
constexpr size_t maxParticipantIds = 32;
constexpr size_t maxParticipantName = 64;
constexpr size_t maxParticipantValue = 256;

// The line printed under a command line the game does not understand.
extern const char* const gameUsage;

// Reads the arguments after the program's name; on one it does not understand, `error` says
// which, and the result is empty.
std::optional<GameOptions> ParseGameOptions(const std::vector<std::string>& args, std::string& error);
