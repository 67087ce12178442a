#pragma once

// What tests check on a board: tiles and pieces as text, and everything of a board that a
// search or an undo must put back.

#include <algorithm>

#include "support/TestGame.h"

inline std::string TileText(Vector2 tile)
{
    return "(" + std::to_string(static_cast<int>(tile.x)) + "," + std::to_string(static_cast<int>(tile.y)) + ")";
}

// "(1,0) (2,0)": the tiles in their order, or in reading order when the order plays no part.
inline std::string TilesText(std::vector<Vector2> tiles, bool anyOrder = false)
{
    if (anyOrder) {
        std::sort(tiles.begin(), tiles.end(), [](Vector2 a, Vector2 b) { return a.y < b.y || (a.y == b.y && a.x < b.x); });
    }
    std::string text;
    for (Vector2 tile : tiles) {
        text += (text.empty() ? "" : " ") + TileText(tile);
    }
    return text;
}

// "Knight(3,1)": a piece by its type and the tile it stands on now.
inline std::string PieceText(const Unit* unit)
{
    return unit == nullptr ? "nobody" : TypeInfo(unit->type).name + TileText(unit->GetTile());
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
    std::vector<TeamController*> teams;
};

inline BoardState CaptureState(const TileMap& board)
{
    BoardState state;
    state.children = board.children;
    for (Unit* unit : board.GetUnits()) {
        state.pieces.push_back({unit, unit->position, unit->team, unit->health, unit->hasMoved, unit->hasAttacked});
    }
    for (TeamController* team : board.teams) {
        state.gold.push_back(team->gold);
        state.sight.push_back(team->visibleTiles);
    }
    state.teams = board.teams;
    state.historyLength = board.history.size();
    state.currentTeam = board.currentTeam;
    return state;
}

// One line per piece and one for the rest, so that a difference names the piece and the field;
// the sides' sight only when asked. The same piece objects must come back, in the same order.
inline void ExpectSameState(const BoardState& expected, const BoardState& actual, bool sight = false)
{
    auto text = [sight](const BoardState& s) {
        std::string t = "team " + std::to_string(s.currentTeam) + ", history " + std::to_string(s.historyLength);
        for (size_t side = 0; side < s.gold.size(); ++side) {
            t += ", gold " + std::to_string(s.gold[side]) + (sight ? ", sight " + TilesText(s.sight[side]) : "");
        }
        for (const PieceState& p : s.pieces) {
            const auto owner = std::find(s.teams.begin(), s.teams.end(), p.team) - s.teams.begin();
            t += "\n" + TypeInfo(p.unit->type).name + " at " + std::to_string(p.position.x) + "," +
                 std::to_string(p.position.y) + " side " + std::to_string(owner) + " health " +
                 std::to_string(p.health) + (p.hasMoved ? " moved" : "") + (p.hasAttacked ? " done" : "");
        }
        return t;
    };
    EXPECT_EQ(text(actual), text(expected));
    EXPECT_EQ(actual.children, expected.children) << "the board's children are not the same nodes in the same order";
}
