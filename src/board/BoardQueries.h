#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/ReachMemo.h"
#include "board/ReachWalk.h"
#include "raylib.h"

class TileMap;
class Unit;

// Where pieces can move, answered from grids of the board: what entering each tile
// costs, and which piece stands where. Refresh() takes the pieces as they stand and
// ReadTiles() the tiles; many queries can follow while neither changes. Results come
// in the same order as Unit::GetReachableTiles, which the opponents rely on.
class BoardQueries {
public:
    explicit BoardQueries(const TileMap& map);
    BoardQueries(const BoardQueries&) = delete;
    BoardQueries& operator=(const BoardQueries&) = delete;

    void Refresh();
    // Reads the tiles anew.
    void ReadTiles();
    // The first piece, in child order, on the tile; null off the board or on a free tile.
    Unit* At(int32_t x, int32_t y) const;

    // The tiles `unit` can move to, in discovery order; valid until the next call.
    const std::vector<Vector2>& Reachable(const Unit& unit);
    // From now on reachable tiles are remembered, until the tiles are read again: an evaluator
    // asks for the same few thousand again and again. The table holds `slots` lists (a power
    // of two); a smaller one lets tests make positions share a slot.
    void RememberReachable(size_t slots = reachSlots);

private:
    static constexpr size_t reachSlots = size_t{1} << 15;

    void Walk(const Unit& unit);
    // The tiles holding a piece within `speed` of (x, y), a bit per tile of the diamond.
    uint64_t Occupied(int32_t x, int32_t y, int32_t speed) const;

    const TileMap& map;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<int32_t> pieceX;  // per piece in child order, its tile
    std::vector<int32_t> pieceY;
    std::vector<int32_t> entryCost;  // per tile: its move cost, or more than any speed when blocked
    std::vector<Unit*> occupant;     // per tile, the first piece there, or null
    ReachWalk walk;
    std::vector<Vector2> reachable;
    ReachMemo remembered;  // empty until RememberReachable sizes it
};
