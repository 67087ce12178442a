#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "board/Rules.h"

// Whether a piece of `speed` and `range` (at least 0) has in its neighbourhood one (dx, dy) away,
// of another owner or not (`rival` -1 or 0), a castle or not (`castle` -1 or 0), as a mask of -1
// or 0: every step costs at least 1, so a move never leaves the diamond of the speed, where any
// piece can block the way; an attack after it reaches rivals up to the range further (castles 1).
// Masks rather than branches, so that loops over every piece take several at once.
inline int32_t NearMask(int32_t dx, int32_t dy, int32_t speed, int32_t range, int32_t rival, int32_t castle)
{
    const int32_t reach = speed + (rival & Rules::AttackReach(range, castle));
    return -static_cast<int32_t>(std::abs(dx) + std::abs(dy) <= reach);
}

// Threat sets remembered by a 64-bit key of the neighbourhood they depend on: per piece its last
// few, and a fixed table for all. A set is a list of tiles, each as its offset from the
// threatening piece (PackOffset): the same neighbourhood threatens the same tiles whichever
// pieces make it up.
// NOTE: remembered by the key, not by the neighbourhood itself: two neighbourhoods share a key
// with odds of about 2^-64 per lookup, far below anything a study could meet, and comparing
// whole neighbourhoods cost more than computing most sets anew.
class ThreatMemo {
public:
    using Tiles = std::vector<uint32_t>;
    // The last few sets of one piece: as a search tries the candidates of the pieces near it,
    // its neighbourhood comes back to the same few.
    struct Recent {
        std::array<uint64_t, 4> keys{};
        std::array<Tiles, 4> tiles;
        uint8_t known = 0;  // bit i: keys[i] and tiles[i] hold
        uint8_t current = 0;
        uint8_t next = 0;  // the one to replace
    };

    static uint32_t PackOffset(int32_t dx, int32_t dy) { return (static_cast<uint32_t>(dx) << 16) | (static_cast<uint32_t>(dy) & 0xffffu); }
    static int32_t OffsetX(uint32_t offset) { return static_cast<int16_t>(offset >> 16); }
    static int32_t OffsetY(uint32_t offset) { return static_cast<int16_t>(offset & 0xffffu); }

    // Drops every remembered set, in constant time; the first call makes the table (4 MiB), which
    // a search keeps: a one-off question needs none.
    void Forget()
    {
        ++generation;
        if (table == nullptr) {
            table = std::make_unique<Slot[]>(slots);
        }
    }

    // The set for `key`: one of the piece's recent ones, one in the table, or compute(out).
    template <typename Compute>
    const Tiles& Find(Recent& recent, uint64_t key, Compute compute)
    {
        for (uint8_t i = 0; i < recent.keys.size(); ++i) {
            const auto at = static_cast<uint8_t>((recent.current + i) % recent.keys.size());
            if ((recent.known >> at & 1) != 0 && recent.keys[at] == key) {
                recent.current = at;
                return recent.tiles[at];
            }
        }
        const uint8_t at = recent.next;
        recent.next = static_cast<uint8_t>((at + 1) % recent.keys.size());
        Tiles& out = recent.tiles[at];
        Slot* slot = table != nullptr ? &table[key & (slots - 1)] : nullptr;
        if (slot != nullptr && slot->generation == generation && slot->key == key) {
            out.assign(slot->tiles.begin(), slot->tiles.begin() + slot->count);
        } else {
            compute(out);
            // A set too large for a slot is computed each time it is asked for.
            if (slot != nullptr && out.size() <= slot->tiles.size()) {
                slot->generation = generation;
                slot->key = key;
                slot->count = static_cast<uint32_t>(out.size());
                std::copy(out.begin(), out.end(), slot->tiles.begin());
            }
        }
        recent.keys[at] = key;
        recent.known = static_cast<uint8_t>(recent.known | 1 << at);
        recent.current = at;
        return out;
    }

private:
    // One remembered set, in one cache line.
    struct Slot {
        uint64_t key = 0;
        uint32_t generation = 0;  // remembered only while equal to `generation`
        uint32_t count = 0;
        std::array<uint32_t, 12> tiles{};
    };
    // NOTE: a fixed table indexed by the key, a new set replacing an old one: no growth, rehash
    // or mass release in the middle of a search, which runs within frames.
    static constexpr size_t slots = size_t{1} << 16;
    std::unique_ptr<Slot[]> table;
    uint32_t generation = 1;
};
