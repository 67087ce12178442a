#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "raylib.h"

class TileMap;

// A side's sight counted tile by tile: per tile, how many sources see it. A source is a piece
// of the side, which sees the diamond of its sight range, or any castle, which is seen on its
// own tile. As a source moves, its old diamond is taken out and its new one added, a row of a
// diamond at a time in vector instructions, and the number of tiles seen is kept.
class SightCount {
public:
    // A window of a grid row's counts, one tile a lane, in a 128-bit vector. GCC and Clang both
    // take these: SSE2 on the desktop, WebAssembly SIMD in the browser build that has it, plain
    // integers in the other.
    using Lanes = int8_t __attribute__((vector_size(16)));
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
    bool Seen(int32_t x, int32_t y) const { return OnBoard(x, y) && CountAt(Cell(x, y)) > 0; }
    // The tiles `sources` see, in UpdateVision's order: the pieces' diamonds in the sources'
    // order, then every castle.
    void List(const std::vector<Source>& sources, std::vector<Vector2>& tiles);
    // Counts what `sources` see afresh and compares with the kept counts, tile by tile; empty
    // when they agree, else the first tile that differs.
    std::string Inconsistency(const std::vector<Source>& sources) const;

private:
    // Every piece's sight reaches at most `margin` tiles. A row of a diamond is counted in one
    // window of `lanes` tiles from `margin` left of the source, so the counts are kept on a grid
    // with a margin around the board that takes any window of a source on the board.
    static constexpr int32_t margin = 5;
    static constexpr int32_t lanes = 16;
    static constexpr int32_t rightMargin = lanes - margin - 1;
    bool OnBoard(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    size_t Cell(int32_t x, int32_t y) const
    {
        return static_cast<size_t>(y + margin) * static_cast<size_t>(gridWidth) + static_cast<size_t>(x + margin);
    }
    int32_t CountAt(size_t cell) const { return wide ? wideCover[cell] : cover[cell]; }
    void Add(size_t cell, int32_t delta);
    // Leaves the 8-bit counts for wider ones, tile by tile, for good.
    void Widen();
    // Counts the source's diamond in (`delta` 1) or out (-1).
    void Count(const Source& source, int32_t delta);
    void CountRows(const Source& source, int32_t delta);
    // A source of sight `margin` seeing from a tile no farther across than `margin`: per row of
    // the window that changes, which lanes come into its diamond and which go out (-1 each).
    struct StepRow {
        int32_t offset = 0;  // in the grid, from the source's old cell
        Lanes gained{};
        Lanes lost{};
    };
    // Without vector instructions (the browser build without SIMD) a step counts its tiles one
    // by one instead, as offsets in the grid from the old cell.
    struct StepRows {
        std::vector<StepRow> rows;
        std::vector<int32_t> lost;
        std::vector<int32_t> gained;
        bool known = false;
    };
    const StepRows& StepOf(int32_t dx, int32_t dy);
    void Step(const Source& before, const Source& now);

    int32_t width = 0;
    int32_t height = 0;
    int32_t gridWidth = 0;
    // NOTE: 8 bits a tile, so that a vector takes a whole row of a diamond. No count leaves them
    // while at most `narrowSources` sources are counted in; past that, the counts are kept in
    // wideCover instead and counted tile by tile, which no game comes near.
    static constexpr int32_t narrowSources = 127;
    std::vector<int8_t> cover;
    std::vector<int32_t> wideCover;
    bool wide = false;
    int32_t sourcesIn = 0;  // pieces of the side on the board, and castles
    std::vector<uint8_t> seeable;  // per cell: 0 for the margin and the outside tiles
    int32_t covered = 0;
    // By (dy + 2 * margin) * (2 * margin + 1) + dx + margin, for the grid's width; worked out
    // when first needed.
    std::vector<StepRows> steps;
    std::vector<uint32_t> listed;  // per cell, the List call that listed it
    uint32_t listing = 0;
};
