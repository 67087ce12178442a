#include "arena/ArenaGame.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "record/RecordWriter.h"
#include "common/RootInstalled.h"
#include "study/RootNode.h"
#include "input/InputManager.h"

namespace {
// More than actionDelay: every call plays exactly one step of the plan.
constexpr float playbackStep = 0.6f;

int Winner(const TileMap& board)
{
    if (!board.gameOver) {
        return -1;
    }
    // The victory check has seen every castle after the first owned one share its owner.
    for (Castle* castle : board.GetCastles()) {
        if (castle->team != nullptr) {
            return castle->team == board.teams[0] ? 0 : 1;
        }
    }
    return -1;
}

std::string DescribePieces(const TileMap& board)
{
    std::string text;
    for (Unit* unit : board.GetUnits()) {
        int side = unit->team == nullptr ? -1 : (unit->team == board.teams[0] ? 0 : 1);
        Vector2 tile = unit->GetTile();
        text += std::to_string(unit->type) + " " + std::to_string(side) + " " +
                std::to_string(static_cast<int>(tile.x)) + " " + std::to_string(static_cast<int>(tile.y)) + " " +
                std::to_string(unit->health) + "\n";
    }
    return text;
}
}  // namespace

GameResult PlayGame(const MatchSetup& match)
{
    auto start = std::chrono::steady_clock::now();
    // The game's set-up draws from rand only when no map is forced; seed it all the same.
    srand(match.seed);
    TurnLog log;
    log.turnCap = match.turnCap;

    RootNode root;
    RootInstalled installed(root);
    std::unique_ptr<RecordWriter> record;
    if (!match.recordDir.empty()) {
        std::string error;
        record = RecordWriter::CreateIn(match.recordDir, error);
        if (record == nullptr) {
            throw std::runtime_error(error);
        }
        RunHeader header;
        header.source = "arena";
        header.seed = match.seed;
        header.order = {match.SideKind(0), match.SideKind(1)};
        record->RunStarted(header);
        root.record = record.get();
    }
    std::unique_ptr<AIController> sideZero(MakeArenaSide(match.SideKind(0), 0, match.seed, log));
    root.aiQueue.emplace_back(MakeArenaSide(match.SideKind(1), 1, match.seed, log));
    auto* board = new TileMap();
    board->mapFile = match.map;
    board->sideZero = sideZero.release();
    // Init seats both sides before it loads the map, so the tree owns them even when the load throws.
    // Side 0's first turn is planned in here.
    root.AddChild(board);

    GameResult result;
    while (!board->gameOver && result.turns < match.turnCap) {
        auto* side = dynamic_cast<AIController*>(board->teams[static_cast<size_t>(board->currentTeam)]);
        if (side == nullptr || !side->executingPlan) {
            throw std::logic_error("the side to move has no plan to play");
        }
        // The last step ends the turn, and the next side's StartTurn (its search) runs inside it.
        while (side->executingPlan) {
            side->AdvancePlayback(playbackStep);
        }
        ++result.turns;
    }
    result.capped = !board->gameOver;
    result.winner = Winner(*board);
    result.turnLog = log.turns;
    result.finalBoard = DescribePieces(*board);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (record != nullptr) {
        result.recordPath = record->Path();
    }
    return result;
}
