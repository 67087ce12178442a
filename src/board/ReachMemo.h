#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/Mix.h"

// Where row dy of the tiles within a speed goes in an occupancy word (below), the row read as a
// run of bits from `speed` tiles left of the start on: its tiles are (run >> drop) & mask, shifted
// up by start.
struct ReachRowPick {
    uint64_t mask = 0;
    int32_t drop = 0;
    int32_t start = 0;
};

// The tiles within a distance of 5 of a start, numbered row by row (the bits of an occupancy
// word), and back; and each speed's rows.
struct ReachDiamond {
    static constexpr int32_t radius = 5;
    static constexpr int32_t side = 2 * radius + 1;
    static constexpr size_t tiles = 2 * radius * (radius + 1) + 1;
    std::array<int8_t, side * side> bit{};  // -1 beyond the radius
    std::array<std::array<int8_t, 2>, tiles> offset{};
    std::array<std::array<ReachRowPick, side>, radius + 1> pick{};  // [speed][dy + radius]
    constexpr ReachDiamond()
    {
        int8_t next = 0;
        for (int32_t dy = -radius; dy <= radius; ++dy) {
            for (int32_t dx = -radius; dx <= radius; ++dx) {
                const bool inside = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) <= radius;
                bit[static_cast<size_t>((dy + radius) * side + dx + radius)] = inside ? next : -1;
                if (inside) {
                    offset[static_cast<size_t>(next++)] = {static_cast<int8_t>(dx), static_cast<int8_t>(dy)};
                }
            }
        }
        for (int32_t speed = 0; speed <= radius; ++speed) {
            for (int32_t dy = -speed; dy <= speed; ++dy) {
                const int32_t span = speed - (dy < 0 ? -dy : dy);
                pick[static_cast<size_t>(speed)][static_cast<size_t>(dy + radius)] = {
                    (uint64_t{2} << (2 * span)) - 1, speed - span, bit[static_cast<size_t>((dy + radius) * side - span + radius)]};
            }
        }
    }
};

// Reachable tiles remembered by what decides them: the start, the speed, and which tiles within
// the speed (every step costs at least 1) hold a piece, one bit per tile for speeds up to
// maxSpeed. A search asks for the same few thousand lists again and again.
// NOTE: a fixed table indexed by the key, a new list replacing an old one: no growth in the
// middle of a search, which runs within frames.
class ReachMemo {
public:
    static constexpr int32_t maxSpeed = ReachDiamond::radius;

    // The bit of the tile (dx, dy) from the start, within maxSpeed of it, in an occupancy word. A
    // row's tiles have bits one after the other, from left to right.
    static uint64_t Bit(int32_t dx, int32_t dy) { return uint64_t{1} << diamond.bit[Cell(dx, dy)]; }
    static int32_t BitIndex(int32_t dx, int32_t dy) { return diamond.bit[Cell(dx, dy)]; }
    using RowPick = ReachRowPick;
    static const RowPick& Pick(int32_t speed, int32_t dy) { return diamond.pick[static_cast<size_t>(speed)][static_cast<size_t>(dy + maxSpeed)]; }
    // Makes the table `slots` lists large (a power of two) when it is not; until then nothing is kept.
    void Size(size_t slots)
    {
        if (table.size() != slots) {
            table.assign(slots, {});
        }
    }
    bool Sized() const { return !table.empty(); }
    // Drops every list kept, in constant time.
    void Forget() { ++generation; }

    // Calls found(x, y) for each tile of the list kept for the key and returns true; false when none is.
    template <typename Found>
    bool Recall(int32_t x, int32_t y, int32_t speed, uint64_t occupied, Found found) const
    {
        const Entry& entry = table[Slot(x, y, speed, occupied)];
        if (!Holds(entry, x, y, speed, occupied)) {
            return false;
        }
        for (size_t i = 0; i < entry.count; ++i) {
            const std::array<int8_t, 2>& offset = diamond.offset[entry.tiles[i]];
            found(x + offset[0], y + offset[1]);
        }
        return true;
    }
    // The list's tile nearest to an enemy, when it was kept for the enemies of `version`: true, with
    // `found` and, when found, the tile (x, y). False when the list or its answer is not kept.
    bool RecallNearest(int32_t x, int32_t y, int32_t speed, uint64_t occupied, uint64_t version, bool& found, std::array<int32_t, 2>& tile) const
    {
        const Entry& entry = table[Slot(x, y, speed, occupied)];
        if (!Holds(entry, x, y, speed, occupied)) {
            return false;
        }
        for (size_t i = 0; i < entry.nearestFor.size(); ++i) {
            if (entry.nearestFor[i] == version + 1) {
                found = entry.nearest[i] >= 0;
                if (found) {
                    const std::array<int8_t, 2>& offset = diamond.offset[static_cast<size_t>(entry.nearest[i])];
                    tile = {x + offset[0], y + offset[1]};
                }
                return true;
            }
        }
        return false;
    }
    // Keeps that answer with the list, when the list is kept, in place of the older of the two kept.
    void KeepNearest(int32_t x, int32_t y, int32_t speed, uint64_t occupied, uint64_t version, bool found, const std::array<int32_t, 2>& tile)
    {
        Entry& entry = table[Slot(x, y, speed, occupied)];
        if (!Holds(entry, x, y, speed, occupied)) {
            return;
        }
        const size_t at = entry.nearestNext;
        entry.nearestNext = static_cast<uint8_t>((at + 1) % entry.nearestFor.size());
        entry.nearestFor[at] = version + 1;
        entry.nearest[at] = found ? diamond.bit[Cell(tile[0] - x, tile[1] - y)] : int8_t{-1};
    }
    // Keeps the list whose i-th tile is tile(i), as {x, y}; a list reaching beyond the speed (only
    // a tile that costs nothing to enter could lead there) is not kept.
    template <typename Tile>
    void Keep(int32_t x, int32_t y, int32_t speed, uint64_t occupied, size_t count, Tile tile)
    {
        Entry& entry = table[Slot(x, y, speed, occupied)];
        entry.generation = 0;
        for (size_t i = 0; i < count; ++i) {
            const auto [tx, ty] = tile(i);
            if (std::abs(tx - x) + std::abs(ty - y) > speed || i >= entry.tiles.size()) {
                return;
            }
            entry.tiles[i] = static_cast<uint8_t>(diamond.bit[Cell(tx - x, ty - y)]);
        }
        entry.occupied = occupied;
        entry.x = x;
        entry.y = y;
        entry.speed = static_cast<uint8_t>(speed);
        entry.count = static_cast<uint8_t>(count);
        entry.nearestFor = {};
        entry.generation = generation;
    }

private:
    static constexpr int32_t side = ReachDiamond::side;
    static constexpr ReachDiamond diamond{};
    static size_t Cell(int32_t dx, int32_t dy) { return static_cast<size_t>((dy + maxSpeed) * side + dx + maxSpeed); }

    struct Entry {
        uint64_t occupied = 0;
        int32_t x = 0;
        int32_t y = 0;
        uint32_t generation = 0;  // kept only while equal to `generation`
        uint8_t speed = 0;
        uint8_t count = 0;
        // The last two answers: the bit of the tile nearest to an enemy (-1 for none), and the
        // enemies' version it was found for, plus 1 (0 for none). Two, as the enemies in sight
        // come and go at the edge of the sight.
        std::array<int8_t, 2> nearest{};
        uint8_t nearestNext = 0;
        std::array<uint64_t, 2> nearestFor{};
        std::array<uint8_t, ReachDiamond::tiles - 1> tiles{};  // bits of the diamond, in discovery order; never the start
    };
    bool Holds(const Entry& entry, int32_t x, int32_t y, int32_t speed, uint64_t occupied) const
    {
        return entry.generation == generation && entry.occupied == occupied && entry.x == x && entry.y == y && entry.speed == speed;
    }
    size_t Slot(int32_t x, int32_t y, int32_t speed, uint64_t occupied) const
    {
        const uint64_t where = (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 40) ^
                               (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 20) ^ static_cast<uint64_t>(speed);
        return Mix(occupied + where * 0x9e3779b97f4a7c15ull) & (table.size() - 1);
    }

    std::vector<Entry> table;
    uint32_t generation = 1;
};
