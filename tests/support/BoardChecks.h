#pragma once

// What tests check on a board: lists of tiles, and everything of a board that a search
// or an undo must put back.

#include <algorithm>
#include <numeric>

#include "support/TestGame.h"

inline std::string TileText(Vector2 tile)
{
    return "(" + std::to_string(static_cast<int>(tile.x)) + "," + std::to_string(static_cast<int>(tile.y)) + ")";
}

// "Knight(3,1)": a piece by its type and the tile it stands on now.
inline std::string PieceText(const Unit* unit)
{
    return unit == nullptr ? "nobody" : TypeInfo(unit->type).name + TileText(unit->GetTile());
}

// The same tiles in the same order.
inline testing::AssertionResult TilesAre(const std::vector<Vector2>& actual, const std::vector<Vector2>& expected)
{
    bool same = actual.size() == expected.size() &&
                std::equal(actual.begin(), actual.end(), expected.begin(), SameTile);
    if (same) {
        return testing::AssertionSuccess();
    }
    auto text = [](const std::vector<Vector2>& tiles) {
        return std::accumulate(tiles.begin(), tiles.end(), std::string(), [](std::string t, Vector2 tile) {
            return t + TileText(tile);
        });
    };
    return testing::AssertionFailure() << "got [" << text(actual) << "], expected [" << text(expected) << "]";
}

// The same tiles in any order, each once.
inline testing::AssertionResult SameTileSet(std::vector<Vector2> actual, std::vector<Vector2> expected)
{
    auto before = [](Vector2 a, Vector2 b) { return a.y < b.y || (a.y == b.y && a.x < b.x); };
    std::sort(actual.begin(), actual.end(), before);
    std::sort(expected.begin(), expected.end(), before);
    return TilesAre(actual, expected) << " (in any order)";
}

// Collects its income and then keeps the turn, so that a test plays the AI side by hand.
class HeldOpponent : public AIController {
public:
    void StartTurn() override { NotifyUnitsOfTurnStart(); }
};

// A piece's recorded state: the same fields a board snapshot keeps.
using PieceState = UnitSnapshot;

// Everything of a board that a search tries and an undo takes back, and the sides'
// sight, which a restore recomputes.
struct BoardState {
    std::vector<Node*> children;
    std::vector<PieceState> pieces;
    std::vector<int32_t> gold;
    size_t historyLength = 0;
    int32_t currentTeam = 0;
    std::vector<std::vector<Vector2>> sight;
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
        state.sight.push_back(team->visibleTiles);
    }
    state.historyLength = board.history.size();
    state.currentTeam = board.currentTeam;
    return state;
}

// Names the piece and the field that differs; the sides' sight only when asked.
inline void ExpectSameState(const BoardState& expected, const BoardState& actual, bool sight = false)
{
    EXPECT_EQ(actual.children, expected.children) << "the board's children are not the same nodes in the same order";
    ASSERT_EQ(actual.pieces.size(), expected.pieces.size()) << "number of pieces on the board";
    auto text = [](const PieceState& p) {
        return TypeInfo(p.unit->type).name + " at " + std::to_string(p.position.x) + "," +
               std::to_string(p.position.y) + " health " + std::to_string(p.health) + (p.hasMoved ? " moved" : "") +
               (p.hasAttacked ? " done" : "");
    };
    for (size_t i = 0; i < expected.pieces.size(); ++i) {
        const PieceState& want = expected.pieces[i];
        const PieceState& got = actual.pieces[i];
        EXPECT_EQ(got.unit, want.unit) << "piece " << i << ", " << text(want) << ": another piece in its place";
        EXPECT_EQ(text(got), text(want)) << "piece " << i;
        EXPECT_EQ(got.team, want.team) << "piece " << i << ", " << text(want) << ": owner";
    }
    EXPECT_EQ(actual.gold, expected.gold) << "gold of the sides, in teams order";
    EXPECT_EQ(actual.historyLength, expected.historyLength) << "history length";
    EXPECT_EQ(actual.currentTeam, expected.currentTeam) << "currentTeam";
    for (size_t side = 0; sight && side < expected.sight.size(); ++side) {
        EXPECT_TRUE(TilesAre(actual.sight[side], expected.sight[side])) << "sight of side " << side;
    }
}
