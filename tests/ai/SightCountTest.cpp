#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "ai/SightCount.h"
#include "board/TileMap.h"

namespace {
void BoardWithOutsideTiles(TileMap& map)
{
    const int32_t width = 23;
    const int32_t height = 14;
    map.tiles.assign(height, std::vector<TileType>(width));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            map.tiles[static_cast<size_t>(y)][static_cast<size_t>(x)].kind = (x * 7 + y * 3) % 11 == 0 ? 3 : 0;
        }
    }
}

// Sources of every kind wander a board with outside tiles: short steps (counted a row at a time
// or tile by tile), jumps across the board, other sight ranges, castles, sources that appear and
// go; with more sources than the narrow counts take, the counts widen on the way. After every move
// the kept counts must be the ones counted afresh, tile by tile.
class SightCountMoves : public testing::TestWithParam<int32_t> {};

TEST_P(SightCountMoves, KeepEveryTileAsCountedAfresh)
{
    TileMap map;
    BoardWithOutsideTiles(map);
    const auto width = static_cast<int32_t>(map.tiles.front().size());
    const auto height = static_cast<int32_t>(map.tiles.size());
    SightCount sight;
    sight.Reset(map);
    std::mt19937 random(7);
    auto pick = [&](int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); };
    std::vector<SightCount::Source> sources(static_cast<size_t>(GetParam()));
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

INSTANTIATE_TEST_SUITE_P(Sources, SightCountMoves, testing::Values(12, 200));

// More sources on one tile than 8 bits count: the tile and its diamond stay seen until the last goes.
TEST(SightCount, CountsMoreSourcesOnATileThanBytesHold)
{
    TileMap map;
    BoardWithOutsideTiles(map);
    SightCount sight;
    sight.Reset(map);
    const SightCount::Source piece{10, 7, 5, true};
    std::vector<SightCount::Source> sources;
    for (int32_t i = 0; i < 140; ++i) {
        sight.Move({}, piece);
        sources.push_back(piece);
    }
    ASSERT_EQ(sight.Inconsistency(sources), "");
    const int32_t covered = sight.Covered();
    for (int32_t i = 0; i < 139; ++i) {
        sight.Move(piece, {});
        sources.pop_back();
        ASSERT_TRUE(sight.Seen(10, 7));
    }
    EXPECT_EQ(sight.Inconsistency(sources), "");
    EXPECT_EQ(sight.Covered(), covered);
    sight.Move(piece, {});
    EXPECT_EQ(sight.Covered(), 0);
}
}  // namespace
