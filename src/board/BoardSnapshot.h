#pragma once

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
};
