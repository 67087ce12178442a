#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "board/Rules.h"

// The tiles a move of a piece of speed up to maxSpeed can reach, as a bit grid around its tile, for
// questions that need no order (is some reachable tile within a range of a piece?): on boards whose
// passable tiles cost 1 or 2 to enter, found row by row in a few word operations where the reach
// walk visits tile by tile. Bit dx + column of row dy + row holds the tile (dx, dy) from the start.
class ReachArea {
public:
    static constexpr int32_t maxSpeed = 5;

    // Reads which tiles cost 1 and 2 to enter (`entryCost` row by row, blocked ones more than any
    // speed). False when another cost is met: the grid cannot answer for such a board.
    bool ReadTiles(int32_t boardWidth, int32_t boardHeight, const std::vector<int32_t>& entryCost)
    {
        width = boardWidth;
        height = boardHeight;
        rowWords = static_cast<size_t>(width + 2 * bitMargin + 63) / 64 + 1;
        costOneBits.assign(rowWords * static_cast<size_t>(height), 0);
        costTwoBits.assign(rowWords * static_cast<size_t>(height), 0);
        fits = true;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const int32_t cost = entryCost[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
                const auto bit = static_cast<size_t>(x + bitMargin);
                const size_t word = static_cast<size_t>(y) * rowWords + bit / 64;
                if (cost == 1 || cost == 2) {
                    (cost == 1 ? costOneBits : costTwoBits)[word] |= uint64_t{1} << (bit % 64);
                } else if (cost != Rules::blockedEntryCost) {
                    fits = false;
                }
            }
        }
        return fits;
    }

    // The tiles a piece of `speed` on (sx, sy) reaches, the tiles of the pieces `occupied` lists
    // (as offsets from the start, any order) never entered. False when the grid cannot hold them.
    bool Find(int32_t sx, int32_t sy, int32_t speed, const std::vector<std::array<int32_t, 2>>& occupied)
    {
        if (!fits || speed < 0 || speed > maxSpeed || sx < 0 || sy < 0 || sx >= width || sy >= height) {
            return false;
        }
        std::array<uint32_t, rowCount> costOne{};
        std::array<uint32_t, rowCount> costTwo{};
        for (int32_t y = std::max(sy - speed, 0); y <= std::min(sy + speed, height - 1); ++y) {
            const auto row = static_cast<size_t>(y - sy + areaRow);
            costOne[row] = BitWindow(costOneBits, sx, y);
            costTwo[row] = BitWindow(costTwoBits, sx, y);
        }
        for (const std::array<int32_t, 2>& at : occupied) {
            const uint32_t taken = ~(uint32_t{1} << (at[0] + areaColumn));
            costOne[static_cast<size_t>(at[1] + areaRow)] &= taken;
            costTwo[static_cast<size_t>(at[1] + areaRow)] &= taken;
        }
        // Within k points: the tiles within k - 1, their free neighbours that cost 1, and the free
        // neighbours costing 2 of the tiles within k - 2. The start is left out at the end.
        std::array<std::array<uint32_t, rowCount>, 3> within{};  // by points spent, modulo 3
        within[0][areaRow] = uint32_t{1} << areaColumn;
        for (int32_t spent = 1; spent <= speed; ++spent) {
            const std::array<uint32_t, rowCount>& oneBack = within[static_cast<size_t>(spent - 1) % 3];
            const std::array<uint32_t, rowCount>& twoBack = within[static_cast<size_t>(spent + 1) % 3];
            std::array<uint32_t, rowCount>& now = within[static_cast<size_t>(spent) % 3];
            for (auto row = static_cast<size_t>(areaRow - spent); row <= static_cast<size_t>(areaRow + spent); ++row) {
                const uint32_t one = (oneBack[row] << 1) | (oneBack[row] >> 1) | oneBack[row - 1] | oneBack[row + 1];
                const uint32_t two = (twoBack[row] << 1) | (twoBack[row] >> 1) | twoBack[row - 1] | twoBack[row + 1];
                now[row] = oneBack[row] | (one & costOne[row]) | (two & costTwo[row]);
            }
        }
        rows = within[static_cast<size_t>(speed) % 3];
        rows[areaRow] &= ~(uint32_t{1} << areaColumn);
        return true;
    }

    // Whether a tile found by the last Find lies within `reach` (Manhattan) of (dx, dy).
    bool Within(int32_t dx, int32_t dy, int32_t reach) const
    {
        for (int32_t row = std::max(dy - reach, -maxSpeed); row <= std::min(dy + reach, maxSpeed); ++row) {
            const int32_t span = reach - std::abs(dy - row);
            const int32_t low = std::max(dx - span, -maxSpeed) + areaColumn;
            const int32_t high = std::min(dx + span, maxSpeed) + areaColumn;
            if (low <= high && (rows[static_cast<size_t>(row + areaRow)] & ((uint32_t{2} << high) - (uint32_t{1} << low))) != 0) {
                return true;
            }
        }
        return false;
    }

private:
    static constexpr int32_t areaColumn = 8;
    static constexpr int32_t areaRow = maxSpeed + 1;
    static constexpr size_t rowCount = 2 * maxSpeed + 3;  // with a row of nothing above and below
    static constexpr int32_t bitMargin = 16;

    // The 32 columns from x - areaColumn of row y of `bits`.
    uint32_t BitWindow(const std::vector<uint64_t>& bits, int32_t x, int32_t y) const
    {
        const auto bit = static_cast<size_t>(x - areaColumn + bitMargin);
        const uint64_t* row = bits.data() + static_cast<size_t>(y) * rowWords + bit / 64;
        const size_t shift = bit % 64;
        const uint64_t low = row[0] >> shift;
        return static_cast<uint32_t>(shift == 0 ? low : low | row[1] << (64 - shift));
    }

    int32_t width = 0;
    int32_t height = 0;
    size_t rowWords = 0;
    bool fits = false;
    std::vector<uint64_t> costOneBits;
    std::vector<uint64_t> costTwoBits;
    std::array<uint32_t, rowCount> rows{};
};
