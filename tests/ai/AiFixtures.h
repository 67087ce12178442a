#pragma once

// Shared helpers of the opponent tests: boards from tests/data, readable actions,
// and the state that a search on the live board must put back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "rules/TeamController.h"
#include "support/TestGame.h"

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

inline std::string TileText(Vector2 tile)
{
    std::string text = "(";
    text += std::to_string(static_cast<int>(tile.x));
    text += ",";
    text += std::to_string(static_cast<int>(tile.y));
    text += ")";
    return text;
}

inline std::string TypeName(int32_t type)
{
    static const char* const names[] = {"Knight", "Archer", "Mage", "Castle"};
    return type >= 0 && type < 4 ? names[type] : "type" + std::to_string(type);
}

// "Knight(3,1)": a piece by its type and the tile it stands on now.
inline std::string PieceText(const Unit* unit)
{
    return unit == nullptr ? "nobody" : TypeName(unit->type) + TileText(unit->GetTile());
}

// The piece on a tile, or null.
inline Unit* PieceAt(const TileMap& board, int x, int y)
{
    return board.GetUnitAt(Tile(x, y));
}

// "Knight(4,0) Move (3,0)", "Castle(5,0) Buy Mage (4,0)": the actor where it stands now.
inline std::string ActionText(const AIAction& action)
{
    std::string text = PieceText(action.unit);
    switch (action.kind) {
    case AIActionKind::Pass:
        return text + " Pass";
    case AIActionKind::Move:
        return text + " Move " + TileText(action.tile);
    case AIActionKind::Attack:
        return text + " Attack " + TileText(action.tile);
    case AIActionKind::Buy:
        return text + " Buy " + TypeName(action.unitType) + " " + TileText(action.tile);
    }
    return text + " kind" + std::to_string(static_cast<int32_t>(action.kind));
}

inline std::vector<std::string> ActionTexts(const std::vector<AIAction>& actions)
{
    std::vector<std::string> texts;
    for (const AIAction& action : actions) {
        texts.push_back(ActionText(action));
    }
    return texts;
}

struct PieceState {
    Unit* unit = nullptr;
    Vector2 position = {0.0f, 0.0f};
    TeamController* team = nullptr;
    int32_t health = 0;
    bool hasMoved = false;
    bool hasAttacked = false;
};

// Everything of a board that a search tries and must take back.
struct BoardState {
    std::vector<Node*> children;
    std::vector<PieceState> pieces;
    std::vector<int32_t> gold;
    size_t historyLength = 0;
    int32_t currentTeam = 0;
};

inline BoardState CaptureState(const TileMap& board)
{
    BoardState state;
    state.children = board.children;
    for (Unit* unit : board.GetUnits()) {
        state.pieces.push_back({unit, unit->position, unit->team, unit->health, unit->hasMoved, unit->hasAttacked});
    }
    for (const TeamController* team : board.teams) {
        state.gold.push_back(team->gold);
    }
    state.historyLength = board.history.size();
    state.currentTeam = board.currentTeam;
    return state;
}

// Names the piece and the field that differs.
inline void ExpectSameState(const BoardState& expected, const BoardState& actual)
{
    EXPECT_EQ(actual.children, expected.children) << "the board's children are not the same nodes in the same order";
    ASSERT_EQ(actual.pieces.size(), expected.pieces.size()) << "number of pieces on the board";
    for (size_t i = 0; i < expected.pieces.size(); ++i) {
        const PieceState& want = expected.pieces[i];
        const PieceState& got = actual.pieces[i];
        const std::string who = "piece " + std::to_string(i) + " " + TypeName(want.unit->type) + " that stood on " +
                                TileText({want.position.x / 100.0f, want.position.y / 100.0f});
        EXPECT_EQ(got.unit, want.unit) << who << ": another piece in its place";
        EXPECT_EQ(got.position.x, want.position.x) << who;
        EXPECT_EQ(got.position.y, want.position.y) << who;
        EXPECT_EQ(got.team, want.team) << who << ": owner";
        EXPECT_EQ(got.health, want.health) << who << ": health";
        EXPECT_EQ(got.hasMoved, want.hasMoved) << who << ": hasMoved";
        EXPECT_EQ(got.hasAttacked, want.hasAttacked) << who << ": hasAttacked";
    }
    EXPECT_EQ(actual.gold, expected.gold) << "gold of the sides, in teams order";
    EXPECT_EQ(actual.historyLength, expected.historyLength) << "history length";
    EXPECT_EQ(actual.currentTeam, expected.currentTeam) << "currentTeam";
}

}  // namespace aitest
