#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "raylib.h"

class TileMap;

// A side's sight counted tile by tile: per tile, how many sources see it. A source is a piece
// of the side, which sees the diamond of its sight range, or any castle, which is seen on its
// own tile. As sources move, only the tiles one of their diamonds gains or loses are counted
// again, and the number of tiles seen is kept.
class SightCount {
public:
    struct Source {
        int32_t x = 0;
        int32_t y = 0;
        int32_t range = -1;  // -1: not a piece of the side
        bool castle = false;
        bool operator==(const Source&) const = default;
    };

    // Reads the board's size and which of its tiles can be seen at all; no tile is seen yet.
    void Reset(const TileMap& map);
    // Counts the tiles `now` sees instead of those `before` saw.
    void Move(const Source& before, const Source& now);
    int32_t Covered() const { return covered; }
    bool Seen(int32_t x, int32_t y) const { return OnBoard(x, y) && cover[Cell(x, y)] > 0; }
    // The tiles `sources` see, in UpdateVision's order: the pieces' diamonds in the sources'
    // order, then every castle.
    void List(const std::vector<Source>& sources, std::vector<Vector2>& tiles);
    // Counts what `sources` see afresh and compares with the kept counts, tile by tile; empty
    // when they agree, else the first tile that differs.
    std::string Inconsistency(const std::vector<Source>& sources) const;

private:
    // The counts are kept on a grid with a margin around the board as wide as every piece's
    // sight, so that a source's step needs no bounds checks.
    static constexpr int32_t margin = 5;
    // The farthest a source moves between two counts: a piece moves once a turn.
    static constexpr int32_t maxStep = 10;
    // The tiles a source of sight range `margin` stops and starts seeing as it moves by (dx, dy),
    // as offsets in the grid from its old cell; worked out when first needed.
    struct Step {
        std::vector<int32_t> lost;
        std::vector<int32_t> gained;
        bool known = false;
    };
    bool OnBoard(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    size_t Cell(int32_t x, int32_t y) const
    {
        return static_cast<size_t>(y + margin) * static_cast<size_t>(gridWidth) + static_cast<size_t>(x + margin);
    }
    void Add(size_t cell, int32_t delta);
    const Step& StepOf(int32_t dx, int32_t dy);

    int32_t width = 0;
    int32_t height = 0;
    int32_t gridWidth = 0;
    std::vector<int32_t> cover;
    std::vector<uint8_t> seeable;  // per cell: 0 for the margin and the outside tiles
    int32_t covered = 0;
    // By (dy + maxStep) * (2 * maxStep + 1) + dx + maxStep, for the grid's width.
    std::vector<Step> steps;
    std::vector<uint32_t> listed;  // per cell, the List call that listed it
    uint32_t listing = 0;
};
