#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raylib.h"

class TeamController;
class Unit;

struct UnitSnapshot {
    Unit* unit = nullptr;  // not owned: the live piece
    Vector2 position = {0.0f, 0.0f};
    TeamController* team = nullptr;
    int32_t health = 0;
    bool hasMoved = false;
    bool hasAttacked = false;
};

// The mutable state of a board: its pieces in child order, every side's gold
// and the side to move.
struct BoardSnapshot {
    std::vector<UnitSnapshot> units;
    std::vector<int32_t> gold;
    int32_t currentTeam = 0;
    // A light entry lists only the pieces its action changed (a search's trial, see
    // TileMap::lightSnapshots) and how to take the action's additions and removals back.
    bool light = false;
    size_t childCount = 0;     // the board's children when taken: any later ones the action added
    Unit* attacked = nullptr;  // the piece the action attacked, which may have left the board
    size_t attackedChild = 0;  // its place among the children, and among the pieces
    size_t attackedPiece = 0;
};
