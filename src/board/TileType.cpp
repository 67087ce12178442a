#include "board/TileType.h"

#include "raymath.h"

const std::array<TileType, 4> tileTypeTable = {{
    {false, {211, 176, 131, 255}, 1, 1},
    {false, {0, 228, 48, 255}, 2, 0},
    {true, {0, 0, 0, 255}, 999, 2},
    {true, {0, 0, 0, 255}, 999, 3},
}};

const TileType outsideTile = {true, {0, 0, 0, 255}, 999, 3};

const std::array<Vector2, 4> neighbourOffsets = {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};

bool SameTile(Vector2 a, Vector2 b)
{
    return Vector2Equals(a, b) != 0;
}
