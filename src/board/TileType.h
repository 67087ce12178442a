#pragma once

#include <array>
#include <cstdint>

#include "raylib.h"

struct TileType {
    bool blocked = true;
    Color color = BLACK;
    int32_t moveCost = 999;  // points spent to enter
    int32_t kind = 3;        // kind 3 is never visible to any side
};

// Indexed by the digit that stands for the tile in a map file.
extern const std::array<TileType, 4> tileTypeTable;
// What any coordinate off the board reads as.
extern const TileType outsideTile;

// Right, down, left, up: every neighbour walk uses this order.
extern const std::array<Vector2, 4> neighbourOffsets;

// Tile coordinates are whole numbers held in floats; equal within raymath's tolerance.
bool SameTile(Vector2 a, Vector2 b);
