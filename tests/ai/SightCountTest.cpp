#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "ai/SightCount.h"
#include "board/TileMap.h"

namespace {
// Sources of every kind wander a board with outside tiles: short steps (counted a row at a time
// or tile by tile), jumps across the board, other sight ranges, castles, sources that appear and
// go. After every move the kept counts must be the ones counted afresh, tile by tile.
TEST(SightCount, KeepsEveryTileAsCountedAfresh)
{
    TileMap map;
    const int32_t width = 23;
    const int32_t height = 14;
    map.tiles.assign(height, std::vector<TileType>(width));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            map.tiles[static_cast<size_t>(y)][static_cast<size_t>(x)].kind = (x * 7 + y * 3) % 11 == 0 ? 3 : 0;
        }
    }
    SightCount sight;
    sight.Reset(map);
    std::mt19937 random(7);
    auto pick = [&](int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); };
    std::vector<SightCount::Source> sources(12);
    for (int32_t move = 0; move < 4000; ++move) {
        const auto i = static_cast<size_t>(pick(0, static_cast<int32_t>(sources.size()) - 1));
        SightCount::Source now = sources[i];
        switch (pick(0, 5)) {
        case 0:  // anywhere, as a bought piece appears or a far jump
            now = {pick(0, width - 1), pick(0, height - 1), pick(-1, 7), pick(0, 3) == 0};
            break;
        case 1:  // gone
            now.range = -1;
            now.castle = false;
            break;
        default:  // a step of up to 5 across and 10 down, kept on the board
            now.x = std::clamp(now.x + pick(-5, 5), 0, width - 1);
            now.y = std::clamp(now.y + pick(-10, 10), 0, height - 1);
            now.range = now.range < 0 ? 5 : now.range;
            break;
        }
        sight.Move(sources[i], now);
        sources[i] = now;
        const std::string differs = sight.Inconsistency(sources);
        ASSERT_EQ(differs, "") << "after move " << move;
    }
    // Every source gone leaves nothing seen.
    for (SightCount::Source& source : sources) {
        sight.Move(source, {});
        source = {};
    }
    EXPECT_EQ(sight.Covered(), 0);
}
}  // namespace
