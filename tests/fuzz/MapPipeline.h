#pragma once

// The whole way of a map file into a game, shared by the fuzz target and its regression test:
// the loader reads the file, and what it accepts is set up as the study sets up a game and played
// for a few turns, the random side against each scored opponent. Header only, so that the fuzz
// build and the test build each compile it as it is.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "ai/RandomController.h"
#include "board/MapFile.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "input/InputManager.h"
#include "study/RootNode.h"

struct PipelineLimits {
    int turns = 4;  // turns of either side, per game
    // An opponent still searching after this many steps times pieces on the board leaves the game
    // there, as when the window closes mid-search: the two-candidate search grows twofold with every
    // step of a turn, and a step's work with the pieces. The shipped maps' turns stay well within it.
    int64_t searchWork = 20000;
};

namespace mappipeline {
// The board as the rules keep it: every piece on a tile of the board, alone there, with health
// left unless it is a castle, and no side in debt. What the loader promises of the rows and the
// types, the sanitizers check as the board reads them.
inline std::string BrokenBoard(const TileMap& board)
{
    const auto height = static_cast<float>(board.tiles.size());
    const auto width = static_cast<float>(board.tiles.front().size());
    for (const Unit* unit : board.Units()) {
        const Vector2 tile = unit->GetTile();
        char where[96];
        std::snprintf(where, sizeof where, "%s at (%.0f, %.0f)", TypeInfo(unit->type).name.c_str(), tile.x, tile.y);
        if (tile.x < 0 || tile.y < 0 || tile.x >= width || tile.y >= height || unit->position.x != tile.x * 100.0f ||
            unit->position.y != tile.y * 100.0f) {
            return std::string(where) + " is not on a tile of the board";
        }
        if (board.GetUnitAt(tile) != unit) {
            return std::string(where) + " shares its tile";
        }
        if (!unit->isCastle && unit->health <= 0) {
            return std::string(where) + " stands with health " + std::to_string(unit->health);
        }
    }
    for (const TeamController* side : board.teams) {
        if (side->gold < 0) {
            return "a side has " + std::to_string(side->gold) + " gold";
        }
    }
    return "";
}

// One game on the map file at `path`: the random side as side 0 against `opponent` as side 1.
inline std::string PlayGame(const std::string& path, AIController* opponent, const PipelineLimits& limits)
{
    // The board's tree finds its host through the input manager; put back whatever was there.
    RootNode root;
    struct HostInstalled {
        SceneRoot* previous = InputManager::Instance().root;
        ~HostInstalled() { InputManager::Instance().root = previous; }
    } installed;
    InputManager::Instance().root = &root;
    root.aiQueue.emplace_back(opponent);
    auto* board = new TileMap();
    board->mapFile = path;
    board->sideZero = new RandomController(1);
    try {
        root.AddChild(board);  // the game's own set-up; the random side plans its first turn in it
    } catch (const MapFileError& error) {
        return std::string("the game refused what the loader accepted: ") + error.what();
    }
    for (int turn = 0; turn < limits.turns && !board->gameOver; ++turn) {
        const std::string at = "turn " + std::to_string(turn) + ": ";
        const std::string broken = BrokenBoard(*board);
        if (!broken.empty()) {
            return at + broken;
        }
        auto* side = dynamic_cast<AIController*>(board->teams[static_cast<size_t>(board->currentTeam)]);
        const auto pieces = std::max<int64_t>(1, static_cast<int64_t>(board->Units().size()));
        if (side->Think(AIController::unlimited, std::max<int64_t>(1, limits.searchWork / pieces))) {
            return "";
        }
        if (!side->executingPlan) {
            return at + "the side to move has no plan";
        }
        // Every action is one playback step, and the last one ends the turn.
        for (size_t steps = side->plan.size() + 1; side->executingPlan; --steps) {
            if (steps == 0) {
                return at + "the plan does not end";
            }
            side->AdvancePlayback(side->actionDelay + 0.1f);
        }
    }
    return BrokenBoard(*board);
}
}  // namespace mappipeline

// Loads the map file at `path` and plays short games on what loads; empty when everything kept
// to the rules. A refusal must name the file and the line.
inline std::string RunMapPipeline(const std::string& path, const PipelineLimits& limits = {})
{
    try {
        ReadMapFile(path);
    } catch (const MapFileError& error) {
        const std::string message = error.what();
        const size_t digits = path.size() + 1;
        const size_t colon = message.find(':', digits);
        const bool located = message.rfind(path + ":", 0) == 0 && colon != std::string::npos && colon > digits &&
                             message.find_first_not_of("0123456789", digits) == colon;
        return located ? "" : "refused without its file and line: " + message;
    }
    for (bool hps : {false, true}) {
        // Named as the study names them, so that a decided game records its result.
        AIController* opponent = hps ? static_cast<AIController*>(new HPSController()) : new MinimaxController();
        opponent->name = hps ? "b" : "a";
        const std::string broken = mappipeline::PlayGame(path, opponent, limits);
        if (!broken.empty()) {
            return (hps ? "two-candidate game, " : "step game, ") + broken;
        }
    }
    return "";
}
