#include "ai/SightCount.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/TeamController.h"
#include "board/TileMap.h"

namespace {
// The count of a tile nobody sees: no number of sources the counts take brings it to 0.
constexpr int8_t neverSeen = -128;
constexpr int32_t wideNeverSeen = -(1 << 30);

using Lanes = SightCount::Lanes;
// WebAssembly without SIMD would take the vectors lane by lane, which costs more than the tiles.
#if defined(__wasm__) && !defined(__wasm_simd128__)
constexpr bool vectorRows = false;
#else
constexpr bool vectorRows = true;
#endif

constexpr Lanes firstLanes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

Lanes Splat(int32_t value)
{
    return Lanes{} + static_cast<int8_t>(value);
}

Lanes Abs(Lanes lanes)
{
    return lanes < 0 ? -lanes : lanes;
}

// How many lanes are -1 (the rest 0).
int32_t CountLanes(Lanes lanes)
{
    int32_t count = 0;
    for (int32_t lane = 0; lane < 16; ++lane) {
        count -= lanes[lane];
    }
    return count;
}

// Per lane of a window, how far its tile is across from a source `margin` to its right.
const Lanes across = Abs(firstLanes - Splat(5));
}  // namespace

void SightCount::Reset(const TileMap& map)
{
    height = static_cast<int32_t>(map.tiles.size());
    width = height > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    if (gridWidth != width + margin + rightMargin) {
        gridWidth = width + margin + rightMargin;
        steps.clear();
    }
    const size_t cells = static_cast<size_t>(gridWidth) * static_cast<size_t>(height + 2 * margin);
    seeable.assign(cells, 0);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            seeable[Cell(x, y)] = map.tiles[static_cast<size_t>(y)][static_cast<size_t>(x)].kind != 3 ? 1 : 0;
        }
    }
    // Off the board, and the outside tiles, are never seen (as in UpdateVision): their counts
    // start so far below 0 that no number of sources brings them to 0 or above.
    cover.resize(cells);
    for (size_t cell = 0; cell < cells; ++cell) {
        cover[cell] = seeable[cell] != 0 ? 0 : neverSeen;
    }
    covered = 0;
    wide = false;
    wideCover.clear();
    sourcesIn = 0;
    listed.assign(cells, 0);
    listing = 0;
}

void SightCount::Add(size_t cell, int32_t delta)
{
    const int32_t count = CountAt(cell);
    covered += (count == 0 ? 1 : 0) - (count + delta == 0 ? 1 : 0);
    if (wide) {
        wideCover[cell] = count + delta;
    } else {
        cover[cell] = static_cast<int8_t>(count + delta);
    }
}

void SightCount::Widen()
{
    wide = true;
    wideCover.resize(cover.size());
    for (size_t cell = 0; cell < cover.size(); ++cell) {
        wideCover[cell] = seeable[cell] != 0 ? cover[cell] : wideNeverSeen;
    }
}

void SightCount::Move(const Source& before, const Source& now)
{
    // A piece of the side counts in once, a castle once, and one that is both twice.
    auto counts = [&](const Source& source) {
        return OnBoard(source.x, source.y) ? (source.range >= 0 ? 1 : 0) + (source.castle ? 1 : 0) : 0;
    };
    sourcesIn += counts(now) - counts(before);
    if (!wide && sourcesIn > narrowSources) {
        Widen();
    }
    auto full = [&](const Source& source) { return !wide && OnBoard(source.x, source.y) && source.range == margin; };
    // A step within one window's reach counts only the tiles that come into or go out of the
    // diamond, a row of the window at a time.
    if (full(before) && full(now) && std::abs(now.x - before.x) <= margin && std::abs(now.y - before.y) <= 2 * margin) {
        if (before.castle) {
            Add(Cell(before.x, before.y), -1);
        }
        if (now.castle) {
            Add(Cell(now.x, now.y), +1);
        }
        Step(before, now);
        return;
    }
    Count(before, -1);
    Count(now, +1);
}

const SightCount::StepRows& SightCount::StepOf(int32_t dx, int32_t dy)
{
    if (steps.empty()) {
        steps.resize(static_cast<size_t>((2 * margin + 1) * (4 * margin + 1)));
    }
    StepRows& rows = steps[static_cast<size_t>((dy + 2 * margin) * (2 * margin + 1) + dx + margin)];
    if (!rows.known) {
        rows.known = true;
        // The window starts `margin` left of the leftmost of the two tiles.
        const int32_t left = std::min(0, dx) - margin;
        for (int32_t y = std::min(0, dy) - margin; y <= std::max(0, dy) + margin; ++y) {
            StepRow row;
            row.offset = y * gridWidth + left;
            bool changes = false;
            for (int32_t lane = 0; lane < lanes; ++lane) {
                const int32_t x = left + lane;
                const bool sawIt = std::abs(x) + std::abs(y) <= margin;
                const bool seesIt = std::abs(x - dx) + std::abs(y - dy) <= margin;
                row.gained[lane] = static_cast<int8_t>(seesIt && !sawIt ? -1 : 0);
                row.lost[lane] = static_cast<int8_t>(sawIt && !seesIt ? -1 : 0);
                changes = changes || sawIt != seesIt;
                if (!vectorRows && sawIt != seesIt) {
                    (sawIt ? rows.lost : rows.gained).push_back(y * gridWidth + x);
                }
            }
            if (vectorRows && changes) {
                rows.rows.push_back(row);
            }
        }
    }
    return rows;
}

void SightCount::Step(const Source& before, const Source& now)
{
    const Lanes zero = {};
    const Lanes one = Splat(1);
    Lanes changed = {};
    auto step = [&](int8_t* at, Lanes gained, Lanes lost) {
        Lanes counts;
        std::memcpy(&counts, at, sizeof counts);
        // -1 for a tile that comes into sight, +1 for one that goes out of it.
        changed += ((counts == zero) & gained) - ((counts == one) & lost);
        counts += lost - gained;
        std::memcpy(at, &counts, sizeof counts);
    };
    int8_t* from = cover.data() + Cell(before.x, before.y);
    const StepRows& rows = StepOf(now.x - before.x, now.y - before.y);
    if (!vectorRows) {
        int32_t count = covered;
        for (int32_t offset : rows.lost) {
            count -= from[offset] == 1 ? 1 : 0;
            --from[offset];
        }
        for (int32_t offset : rows.gained) {
            count += from[offset] == 0 ? 1 : 0;
            ++from[offset];
        }
        covered = count;
        return;
    }
    for (const StepRow& row : rows.rows) {
        step(from + row.offset, row.gained, row.lost);
    }
    covered += CountLanes(changed);
}

void SightCount::Count(const Source& source, int32_t delta)
{
    if (!OnBoard(source.x, source.y)) {
        return;
    }
    if (source.castle) {
        Add(Cell(source.x, source.y), delta);
    }
    if (!wide && source.range >= 0 && source.range <= margin) {
        CountRows(source, delta);
        return;
    }
    for (int32_t dy = -source.range; dy <= source.range; ++dy) {
        const int32_t reach = source.range - std::abs(dy);
        for (int32_t dx = -reach; dx <= reach; ++dx) {
            if (OnBoard(source.x + dx, source.y + dy)) {
                Add(Cell(source.x + dx, source.y + dy), delta);
            }
        }
    }
}

void SightCount::CountRows(const Source& source, int32_t delta)
{
    // A tile changes whether it is seen when its count leaves 0 (counted in) or reaches 0 (out).
    const Lanes edge = Splat(delta > 0 ? 0 : 1);
    const Lanes step = Splat(delta);
    Lanes changed = {};
    auto count = [&](int8_t* at, Lanes reach) {
        Lanes counts;
        std::memcpy(&counts, at, sizeof counts);
        const Lanes inRow = across <= reach;  // -1 in the diamond
        changed += (counts == edge) & inRow;
        counts += step & inRow;
        std::memcpy(at, &counts, sizeof counts);
    };
    int8_t* row = cover.data() + Cell(source.x - margin, source.y - source.range);
    for (int32_t dy = -source.range; dy <= source.range; ++dy, row += gridWidth) {
        count(row, Splat(source.range - std::abs(dy)));
    }
    covered += delta > 0 ? CountLanes(changed) : -CountLanes(changed);
}

void SightCount::List(const std::vector<Source>& sources, std::vector<Vector2>& tiles)
{
    tiles.clear();
    ++listing;
    auto add = [&](int32_t x, int32_t y) {
        if (!OnBoard(x, y) || seeable[Cell(x, y)] == 0 || listed[Cell(x, y)] == listing) {
            return;
        }
        listed[Cell(x, y)] = listing;
        tiles.push_back({static_cast<float>(x), static_cast<float>(y)});
    };
    for (const Source& source : sources) {
        for (const auto& [dx, dy] : TeamController::SightOffsets(source.range)) {
            add(source.x + dx, source.y + dy);
        }
    }
    for (const Source& source : sources) {
        if (source.castle) {
            add(source.x, source.y);
        }
    }
}

std::string SightCount::Inconsistency(const std::vector<Source>& sources) const
{
    std::vector<int32_t> fresh(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (const Source& source : sources) {
        for (int32_t dy = -source.range; source.range >= 0 && dy <= source.range; ++dy) {
            const int32_t across = source.range - std::abs(dy);
            for (int32_t dx = -across; dx <= across; ++dx) {
                if (OnBoard(source.x + dx, source.y + dy)) {
                    ++fresh[static_cast<size_t>((source.y + dy) * width + source.x + dx)];
                }
            }
        }
        if (source.castle && OnBoard(source.x, source.y)) {
            ++fresh[static_cast<size_t>(source.y * width + source.x)];
        }
    }
    int32_t seen = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t expected = seeable[Cell(x, y)] != 0 ? fresh[static_cast<size_t>(y * width + x)] : 0;
            const int32_t kept = seeable[Cell(x, y)] != 0 ? CountAt(Cell(x, y)) : 0;
            if (kept != expected) {
                return "sight count of tile (" + std::to_string(x) + ", " + std::to_string(y) + "): kept " + std::to_string(kept) + ", counted " +
                       std::to_string(expected);
            }
            seen += expected > 0 ? 1 : 0;
        }
    }
    if (seen != covered) {
        return "tiles seen: kept " + std::to_string(covered) + ", counted " + std::to_string(seen);
    }
    return {};
}
