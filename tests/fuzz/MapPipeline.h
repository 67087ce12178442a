#pragma once

// The whole way of a map file into a game, shared by the fuzz target and its regression test:
// the loader reads the file, and what it accepts is set up as the study sets up a game and played
// for a few turns, the random side against each scored opponent. Header only, so that the fuzz
// build and the test build each compile it as it is.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "arena/RandomController.h"
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
// The board's tree finds its host through the input manager; put back whatever was there.
class HostInstalled {
public:
    explicit HostInstalled(RootNode& root) : previous(InputManager::Instance().root)
    {
        InputManager::Instance().root = &root;
    }
    ~HostInstalled() { InputManager::Instance().root = previous; }
    HostInstalled(const HostInstalled&) = delete;
    HostInstalled& operator=(const HostInstalled&) = delete;

private:
    SceneRoot* previous;
};

// What the loader promises of a map it accepts; empty when it keeps its word.
inline std::string BrokenPromise(const MapFile& map)
{
    if (map.rows.empty() || map.rows.size() > static_cast<size_t>(maxBoardSide) ||
        map.rows.front().size() > static_cast<size_t>(maxBoardSide)) {
        return "the board has " + std::to_string(map.rows.size()) + " rows";
    }
    for (const std::string& row : map.rows) {
        if (row.size() < map.rows.front().size() || row.find_first_not_of("0123") != std::string::npos) {
            return "row \"" + row + "\" is shorter than the first or holds another digit";
        }
    }
    for (const MapPiece& piece : map.pieces) {
        if (piece.type < 0 || piece.type > 3 || piece.line < 1) {
            return "piece of type " + std::to_string(piece.type) + " on line " + std::to_string(piece.line);
        }
    }
    return "";
}

// The board as the rules keep it: every piece on a tile of the board, alone there, with health
// left unless it is a castle, and no side in debt.
inline std::string BrokenBoard(const TileMap& board)
{
    const auto height = static_cast<float>(board.tiles.size());
    const auto width = static_cast<float>(board.tiles.front().size());
    for (const Unit* piece : board.Units()) {
        const Unit& unit = *piece;
        const Vector2 tile = unit.GetTile();
        char where[96];
        std::snprintf(where, sizeof where, "%s at (%.0f, %.0f)", TypeInfo(unit.type).name.c_str(), tile.x, tile.y);
        if (tile.x < 0 || tile.y < 0 || tile.x >= width || tile.y >= height || unit.position.x != tile.x * 100.0f ||
            unit.position.y != tile.y * 100.0f) {
            return std::string(where) + " is not on a tile of the board";
        }
        if (board.GetUnitAt(tile) != &unit) {
            return std::string(where) + " shares its tile";
        }
        if (!unit.isCastle && unit.health <= 0) {
            return std::string(where) + " stands with health " + std::to_string(unit.health);
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
    RootNode root;
    HostInstalled installed(root);
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
        std::string broken = BrokenBoard(*board);
        if (!broken.empty()) {
            return "turn " + std::to_string(turn) + ": " + broken;
        }
        auto* side = dynamic_cast<AIController*>(board->teams[static_cast<size_t>(board->currentTeam)]);
        const auto pieces = static_cast<int64_t>(board->Units().size());
        if (side->Think(AIController::unlimited, std::max<int64_t>(1, limits.searchWork / std::max<int64_t>(1, pieces)))) {
            return "";
        }
        if (!side->executingPlan) {
            return "turn " + std::to_string(turn) + ": the side to move has no plan";
        }
        // Every action is one playback step, and the last one ends the turn.
        for (size_t steps = side->plan.size() + 1; side->executingPlan; --steps) {
            if (steps == 0) {
                return "turn " + std::to_string(turn) + ": the plan does not end";
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
    MapFile map;
    try {
        map = ReadMapFile(path);
    } catch (const MapFileError& error) {
        const std::string message = error.what();
        const size_t digits = path.size() + 1;
        const size_t colon = message.find(':', digits);
        const bool located = message.rfind(path + ":", 0) == 0 && colon != std::string::npos && colon > digits &&
                             message.find_first_not_of("0123456789", digits) == colon;
        return located ? "" : "refused without its file and line: " + message;
    }
    std::string broken = mappipeline::BrokenPromise(map);
    for (bool hps : {false, true}) {
        if (broken.empty()) {
            // Named as the study names them, so that a decided game records its result.
            AIController* opponent = hps ? static_cast<AIController*>(new HPSController()) : new MinimaxController();
            opponent->name = hps ? "b" : "a";
            broken = mappipeline::PlayGame(path, opponent, limits);
            broken = broken.empty() ? "" : (hps ? "two-candidate game, " : "step game, ") + broken;
        }
    }
    return broken;
}
