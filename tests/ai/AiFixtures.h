#pragma once

// Shared helpers of the opponent tests: boards from tests/data, readable actions, the
// rules an action must keep, and a whole computer turn planned and played back.
#include <algorithm>
#include <climits>
#include <random>
#include <set>

#include "ai/Evaluator.h"
#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "support/BoardChecks.h"

namespace aitest {

// A game on a fixture of tests/data; the human moves first, as after any set-up.
inline std::unique_ptr<TestGame> StartFixture(const std::string& name, AIController* opponent = nullptr)
{
    return StartGame(TestDataPath(name), opponent);
}

inline Vector2 Tile(int x, int y)
{
    return {static_cast<float>(x), static_cast<float>(y)};
}

inline Unit* PieceAt(const TileMap& board, int x, int y)
{
    return board.GetUnitAt(Tile(x, y));
}

inline AIController* NewOpponent(bool hps)
{
    return hps ? static_cast<AIController*>(new HPSController()) : static_cast<AIController*>(new MinimaxController());
}

inline AIAction Act(AIActionKind kind, Unit* unit, int x = 0, int y = 0, int32_t type = 0)
{
    return {kind, unit, Tile(x, y), type};
}

// "Knight(4,0) Move (3,0)", "Castle(5,0) Buy Mage (4,0)": the actor where it stands now.
inline std::string ActionText(const AIAction& action)
{
    const auto kind = static_cast<int32_t>(action.kind);
    if (kind < 0 || kind > 3) {
        return PieceText(action.unit) + " kind" + std::to_string(kind);
    }
    const char* const names[] = {" Pass", " Move ", " Attack ", " Buy "};
    return PieceText(action.unit) + names[kind] + (kind == 3 ? TypeInfo(action.unitType).name + " " : "") +
           (kind == 0 ? "" : TileText(action.tile));
}

inline std::vector<std::string> ActionTexts(const std::vector<AIAction>& actions)
{
    std::vector<std::string> texts;
    std::transform(actions.begin(), actions.end(), std::back_inserter(texts), ActionText);
    return texts;
}

// Empty when the rules allow `action` for `side` on the board as it stands; otherwise why not.
// Checked against the range queries themselves, not against the opponents' generators.
inline std::string WhyIllegal(const TileMap& board, const AIController& side, const AIAction& action)
{
    auto listed = [](const std::vector<Vector2>& tiles, Vector2 tile) {
        return std::any_of(tiles.begin(), tiles.end(), [&](Vector2 t) { return SameTile(t, tile); });
    };
    const Unit* unit = action.unit;
    if (unit == nullptr || unit->parent != &board) {
        return "the acting piece is not on the board";
    }
    const std::string who = ActionText(action) + ": ";
    const bool castle = dynamic_cast<const Castle*>(unit) != nullptr;
    if (unit->team != &side || unit->hasAttacked) {
        return who + "the actor is another side's or already finished";
    }
    switch (action.kind) {
    case AIActionKind::Pass:
        return "";
    case AIActionKind::Move:
        return !castle && !unit->hasMoved && listed(unit->GetReachableTiles(), action.tile) ? "" : who + "no such move";
    case AIActionKind::Attack:
        return !castle && listed(unit->GetAttackTargets(unit->GetTile()), action.tile) ? "" : who + "nothing to attack";
    case AIActionKind::Buy:
        if (!castle || action.unitType < 0 || action.unitType > 2 || TypeInfo(action.unitType).cost > side.gold) {
            return who + "not a castle, or not affordable with " + std::to_string(side.gold);
        }
        return listed(unit->GetSpawnTiles(), action.tile) ? "" : who + "not a free neighbour";
    }
    return who + "unknown action kind";
}

// Search steps per slice in the tests: a few evaluations each.
constexpr int64_t slicedSteps = 3;

// Ends the human's turn so that the opponent plans its own (the search run to its end in small slices), checks that the search put the
// board back (but for the end of turn and the income), then plays the plan, half a second and
// a bit per step, each action checked against the rules. Returns the actions as played;
// nothing when the end of the human's turn decided the game.
inline std::vector<std::string> PlayAiTurn(TestGame& game, std::set<AIActionKind>* kinds = nullptr)
{
    TileMap& board = *game.board;
    AIController& ai = *game.ai;
    EXPECT_EQ(board.currentTeam, 0);
    BoardState expected = CaptureState(board);
    expected.historyLength += 1;
    expected.currentTeam = 1;
    for (const Castle* castle : board.GetCastles()) {
        expected.gold[1] += castle->team == &ai ? 100 : 0;
    }
    board.EndTurn();
    if (board.gameOver) {
        return {};
    }
    // Planned in slices of a few steps, as over many frames; between two slices the board
    // (sight included) is the one the turn began with, which every frame then draws.
    const BoardState turnStart = CaptureState(board);
    while (ai.Think(AIController::unlimited, slicedSteps)) {
        ExpectSameState(turnStart, CaptureState(board), true);
    }
    EXPECT_TRUE(ai.executingPlan);
    ExpectSameState(expected, CaptureState(board));
    std::vector<std::string> played;
    for (int step = 0; ai.executingPlan && step < 100; ++step) {
        if (!ai.plan.empty()) {
            const AIAction next = ai.plan.front();
            EXPECT_EQ(WhyIllegal(board, ai, next), "");
            played.push_back(ActionText(next));
            if (kinds != nullptr) {
                kinds->insert(next.kind);
            }
        }
        ai.AdvancePlayback(0.6f);
    }
    EXPECT_FALSE(ai.executingPlan) << "the plan did not end the turn";
    return played;
}

// Plays one random legal action of the side to move, as the opponents' generator offers them,
// or ends the turn. Left to chance alone the pieces of a shipped map rarely meet, so attacks are
// preferred when there are any and half of the moves head for the nearest enemy; the turn ends
// about one time in eight, or when nothing is left to do.
inline void PlayRandomAction(TestGame& game, std::mt19937& random)
{
    TileMap& board = *game.board;
    auto chance = [&](int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(random) == 1; };
    auto any = [&](const std::vector<AIAction>& list) {
        return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)];
    };
    const TeamController* side = board.teams[static_cast<size_t>(board.currentTeam)];
    std::vector<AIAction> attacks, others;
    for (Unit* unit : board.GetUnitsOf(side)) {
        for (const AIAction& action : MinimaxController().GenerateActions(side, unit)) {
            (action.kind == AIActionKind::Attack ? attacks : others).push_back(action);
        }
    }
    if (chance(8) || (attacks.empty() && others.empty())) {
        board.EndTurn();
        return;
    }
    if (!attacks.empty() && (others.empty() || !chance(4))) {
        game.ai->ApplyAction(any(attacks));
        return;
    }
    AIAction pick = any(others);
    auto enemyDistance = [&](Vector2 tile) {
        int best = INT_MAX;
        for (Unit* other : board.GetUnits()) {
            best = other->team != side ? std::min(best, TileDistance(other->GetTile(), tile)) : best;
        }
        return best;
    };
    for (const AIAction& other : others) {
        if (pick.kind == AIActionKind::Move && other.kind == AIActionKind::Move && other.unit == pick.unit &&
            chance(2) && enemyDistance(other.tile) < enemyDistance(pick.tile)) {
            pick = other;
        }
    }
    game.ai->ApplyAction(pick);
}

}  // namespace aitest
