#include "ai/SightCount.h"

#include <algorithm>
#include <cstdlib>

#include "board/TeamController.h"
#include "board/TileMap.h"

namespace {
// The count of a tile nobody sees, far out of reach of the sources a board can hold.
constexpr int32_t neverSeen = -(1 << 30);
}  // namespace

void SightCount::Reset(const TileMap& map)
{
    height = static_cast<int32_t>(map.tiles.size());
    width = height > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    if (gridWidth != width + 2 * margin) {
        gridWidth = width + 2 * margin;
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
    listed.assign(cells, 0);
    listing = 0;
}

void SightCount::Add(size_t cell, int32_t delta)
{
    int32_t& count = cover[cell];
    covered += (count == 0 ? 1 : 0) - (count + delta == 0 ? 1 : 0);
    count += delta;
}

void SightCount::Move(const Source& before, const Source& now)
{
    auto onBoard = [&](const Source& source) { return OnBoard(source.x, source.y); };
    if (before.castle && onBoard(before)) {
        Add(Cell(before.x, before.y), -1);
    }
    if (now.castle && onBoard(now)) {
        Add(Cell(now.x, now.y), +1);
    }
    const int32_t dx = now.x - before.x;
    const int32_t dy = now.y - before.y;
    if (before.range == margin && now.range == margin && std::abs(dx) <= maxStep && std::abs(dy) <= maxStep && onBoard(before) && onBoard(now)) {
        const Step& step = StepOf(dx, dy);
        // Add written out for each direction of the count: this runs for nearly every scored turn.
        int32_t* from = cover.data() + Cell(before.x, before.y);
        int32_t count = covered;
        for (int32_t offset : step.lost) {
            count -= from[offset] == 1 ? 1 : 0;
            --from[offset];
        }
        for (int32_t offset : step.gained) {
            count += from[offset] == 0 ? 1 : 0;
            ++from[offset];
        }
        covered = count;
        return;
    }
    // Any other change: row by row, the tiles in one diamond and not the other.
    struct Span {
        int32_t low = 0;
        int32_t high = -1;  // empty when high < low
    };
    auto spanOf = [&](const Source& source, int32_t y) {
        const int32_t reach = source.range - std::abs(y - source.y);
        if (source.range < 0 || reach < 0) {
            return Span{};
        }
        return Span{std::max(source.x - reach, 0), std::min(source.x + reach, width - 1)};
    };
    const int32_t top = std::max(std::min(before.range >= 0 ? before.y - before.range : height, now.range >= 0 ? now.y - now.range : height), 0);
    const int32_t bottom = std::min(std::max(before.y + before.range, now.y + now.range), height - 1);
    for (int32_t y = top; y <= bottom; ++y) {
        const Span was = spanOf(before, y);
        const Span is = spanOf(now, y);
        for (int32_t x = was.low; x <= was.high; ++x) {
            if (x < is.low || x > is.high) {
                Add(Cell(x, y), -1);
            }
        }
        for (int32_t x = is.low; x <= is.high; ++x) {
            if (x < was.low || x > was.high) {
                Add(Cell(x, y), +1);
            }
        }
    }
}

const SightCount::Step& SightCount::StepOf(int32_t dx, int32_t dy)
{
    if (steps.empty()) {
        steps.resize(static_cast<size_t>((2 * maxStep + 1) * (2 * maxStep + 1)));
    }
    Step& step = steps[static_cast<size_t>((dy + maxStep) * (2 * maxStep + 1) + dx + maxStep)];
    if (!step.known) {
        const int32_t reach = margin + std::max(std::abs(dx), std::abs(dy));
        for (int32_t y = -reach; y <= reach; ++y) {
            for (int32_t x = -reach; x <= reach; ++x) {
                const bool sawIt = std::abs(x) + std::abs(y) <= margin;
                const bool seesIt = std::abs(x - dx) + std::abs(y - dy) <= margin;
                if (sawIt != seesIt) {
                    (sawIt ? step.lost : step.gained).push_back(y * gridWidth + x);
                }
            }
        }
        step.known = true;
    }
    return step;
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
            const int32_t kept = seeable[Cell(x, y)] != 0 ? cover[Cell(x, y)] : 0;
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
