#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/ReachMemo.h"
#include "board/ReachWalk.h"
#include "raylib.h"

class TeamController;
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
    // The same when only `touched` may have changed since the last Refresh (moved, hurt or taken
    // over), and no piece came or went: the other pieces are not looked at.
    void RefreshTouched(const std::vector<const Unit*>& touched);
    // Reads the tiles anew (they never change while a search runs).
    void ReadTiles();
    // The tiles of the board's pieces, in child order, as of the last Refresh.
    const std::vector<int32_t>& PieceX() const { return pieceX; }
    const std::vector<int32_t>& PieceY() const { return pieceY; }
    // Each Refresh has a number, larger than the last one's until the tiles are read again.
    uint32_t RefreshNumber() const { return refreshes; }
    // Per index in child order, the number of the Refresh that found another piece there, or
    // the piece there moved, taken over or made anew: callers that kept something of each
    // piece look again only at those changed since.
    const std::vector<uint32_t>& ChangedAt() const { return changedAt; }
    // The indices RefreshTouched found changed since the last whole Refresh (numbered WholeAt), in
    // order, perhaps repeated: a caller that kept something of each piece since then looks at those.
    const std::vector<uint32_t>& ChangeLog() const { return changeLog; }
    uint32_t WholeAt() const { return wholeAt; }
    // Whether a caller that last looked at Refresh `lookedAt` (0: never) and has read `read`
    // entries of the log finds every change since in the rest of the log.
    bool LogCovers(uint32_t lookedAt, size_t read) const
    {
        return lookedAt != 0 && lookedAt >= wholeAt && read <= changeLog.size();
    }
    // The first piece, in child order, on the tile; null off the board or on a free tile.
    Unit* At(int32_t x, int32_t y) const;

    // The tiles `unit` can move to, in discovery order; valid until the next call.
    const std::vector<Vector2>& Reachable(const Unit& unit);
    // From now on reachable tiles are remembered, until the tiles are read again: a search
    // asks for the same few thousand again and again. The table holds `slots` lists (a power
    // of two); a smaller one lets tests make positions share a slot.
    void RememberReachable(size_t slots = reachSlots);

    // The tiles a move can reach are decided by the start, the speed, and which tiles within
    // the speed (every step costs at least 1) hold a piece: for speeds up to 5 one bit per tile.
    static constexpr int32_t rememberedSpeed = ReachMemo::maxSpeed;

    // The tiles a move of `unit` can reach, as a bit grid around its tile, for questions that need
    // no order: bit dx + areaColumn of row dy + areaRow for the tile (dx, dy) from its own.
    struct ReachArea {
        static constexpr int32_t areaColumn = 8;
        static constexpr int32_t areaRow = rememberedSpeed + 1;
        std::array<uint32_t, 2 * rememberedSpeed + 3> rows{};  // with a row of nothing above and below
        // Whether a reachable tile lies within `reach` (Manhattan) of (dx, dy).
        bool Within(int32_t dx, int32_t dy, int32_t reach) const;
    };
    // False, with `area` unspecified, when the grid cannot hold the answer: a speed beyond
    // rememberedSpeed, a tile within it that costs other than 1 or 2, or a start no piece stands on.
    bool ReachableArea(const Unit& unit, ReachArea& area) const;

private:
    static constexpr size_t reachSlots = size_t{1} << 15;

    void Walk(const Unit& unit);
    // Brings the piece at `index` and its tile's occupant up to date.
    void RefreshPiece(size_t index, Unit* unit);
    // Whether the piece at `index` stands on another tile, or is another piece or side, than when
    // last read; the kept entries are brought up to date.
    bool ReadTile(size_t index, const Unit* unit);
    bool ReadOwner(size_t index, const Unit* unit);
    // The piece at `index` leaves the tile `cell` (or offBoard): another may stand for it.
    void Leave(size_t index, size_t cell);
    void Enter(size_t index, Unit* unit, size_t cell);
    // The tiles holding a piece within `speed` of (x, y), a bit per tile of the diamond.
    uint64_t Occupied(int32_t x, int32_t y, int32_t speed) const;

    const TileMap& map;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<int32_t> pieceX;
    std::vector<int32_t> pieceY;
    std::vector<Vector2> seenAt;  // per piece, the position its tile was worked out from
    static constexpr size_t offBoard = ~size_t{0};
    std::vector<size_t> pieceCell;  // per piece, its tile's cell, or offBoard
    struct Seen {
        const Unit* unit = nullptr;
        const TeamController* team = nullptr;
        uint64_t serial = 0;
    };
    std::vector<Seen> seen;  // per index, the piece there and its owner at the last Refresh
    std::vector<uint32_t> changedAt;
    std::vector<uint32_t> changeLog;
    std::array<size_t, 64> indexHints{};  // by a piece's address, where RefreshTouched last found it
    uint32_t wholeAt = 0;
    std::vector<int32_t> entryCost;    // per tile: its move cost, or more than any speed when blocked
    // The passable tiles that cost 1 and 2 to enter, a bit per tile: row by row, rowWords words a row,
    // column x at bit x + bitMargin, so that a window of 32 columns around any tile reads without checks.
    static constexpr int32_t bitMargin = 16;
    std::vector<uint64_t> costOneBits;
    std::vector<uint64_t> costTwoBits;
    size_t rowWords = 0;
    bool costsFitBits = true;  // every passable tile costs 1 or 2
    // The 32 columns from x - ReachArea::areaColumn of row y of `bits`.
    uint32_t BitWindow(const std::vector<uint64_t>& bits, int32_t x, int32_t y) const;
    std::vector<Unit*> occupant;       // per tile, valid where stamp == current
    std::vector<size_t> occupantIndex;  // its index in child order
    std::vector<uint32_t> occupantCount;  // the pieces on the tile
    std::vector<uint32_t> occupantStamp;
    uint32_t stamp = 0;
    uint32_t refreshes = 0;
    ReachWalk walk;
    std::vector<Vector2> reachable;
    ReachMemo remembered;  // empty until RememberReachable sizes it
};
