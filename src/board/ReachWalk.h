#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// The walk that finds where a piece can move: out from its tile, each step paying the entry cost
// of the tile it enters, never onto a tile that holds a piece. The tiles come in the order
// Unit::GetReachableTiles lists them, which the opponents rely on: depth first, the entry with
// the most points left taken next, earlier ones first among equals.
class ReachWalk {
public:
    // Calls found(x, y) for every tile a piece on (x, y) with `points` can move to. `entryCost`
    // holds each tile's cost row by row, more than any speed for a blocked one; `occupied(cell)`
    // says whether a piece stands on the tile of that index.
    template <typename Occupied, typename Found>
    void Walk(int32_t x, int32_t y, int32_t points, int32_t width, int32_t height, const std::vector<int32_t>& entryCost,
              Occupied occupied, Found found)
    {
        if (listedStamp.size() != entryCost.size()) {
            listedStamp.assign(entryCost.size(), 0);
            listed = 0;
        }
        work.clear();
        if (++listed == 0) {  // after four billion walks the stamps start again
            std::fill(listedStamp.begin(), listedStamp.end(), 0);
            listed = 1;
        }
        work.push_back({x, y, points});
        static constexpr int32_t offsets[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        while (!work.empty()) {
            const Entry current = work.back();
            work.pop_back();
            const size_t firstNew = work.size();
            for (const auto& offset : offsets) {
                const int32_t nx = current.x + offset[0];
                const int32_t ny = current.y + offset[1];
                if (nx < 0 || ny < 0 || nx >= width || ny >= height) {
                    continue;
                }
                const size_t cell = static_cast<size_t>(ny) * static_cast<size_t>(width) + static_cast<size_t>(nx);
                const int32_t left = current.points - entryCost[cell];
                if (left < 0 || occupied(cell) || listedStamp[cell] == listed) {
                    continue;
                }
                listedStamp[cell] = listed;
                work.push_back({nx, ny, left});
                found(nx, ny);
            }
            // NOTE: the list was sorted before these appends, so moving each new entry left
            // past strictly greater points is the same stable sort by remaining points.
            for (size_t i = firstNew; i < work.size(); ++i) {
                const Entry entry = work[i];
                size_t j = i;
                while (j > 0 && work[j - 1].points > entry.points) {
                    work[j] = work[j - 1];
                    --j;
                }
                work[j] = entry;
            }
        }
    }

private:
    struct Entry {
        int32_t x;
        int32_t y;
        int32_t points;
    };
    std::vector<Entry> work;
    std::vector<uint32_t> listedStamp;  // per tile, the walk that listed it
    uint32_t listed = 0;
};
