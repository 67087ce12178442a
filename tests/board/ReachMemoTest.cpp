// The reachable lists remembered, and the tile nearest to an enemy kept with a list.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "board/ReachMemo.h"

using Tile = std::array<int32_t, 2>;

TEST(ReachMemo, KeepsTheNearestTileOnlyWithItsListAndItsEnemies)
{
    ReachMemo memo;
    memo.Size(64);
    const std::vector<Tile> tiles = {{5, 4}, {4, 5}, {3, 3}};
    const uint64_t occupied = ReachMemo::Bit(0, 0) | ReachMemo::Bit(1, 0);
    auto keepList = [&] { memo.Keep(4, 4, 2, occupied, tiles.size(), [&](size_t i) { return tiles[i]; }); };
    bool found = false;
    Tile tile = {0, 0};
    // Nothing is kept for a list not kept.
    memo.KeepNearest(4, 4, 2, occupied, 7, true, {3, 3});
    EXPECT_FALSE(memo.RecallNearest(4, 4, 2, occupied, 7, found, tile));
    keepList();
    EXPECT_FALSE(memo.RecallNearest(4, 4, 2, occupied, 7, found, tile));

    memo.KeepNearest(4, 4, 2, occupied, 7, true, {3, 3});
    ASSERT_TRUE(memo.RecallNearest(4, 4, 2, occupied, 7, found, tile));
    EXPECT_TRUE(found);
    EXPECT_EQ(tile, (Tile{3, 3}));
    EXPECT_FALSE(memo.RecallNearest(4, 4, 2, occupied, 8, found, tile)) << "other enemies";
    EXPECT_FALSE(memo.RecallNearest(4, 4, 2, occupied | ReachMemo::Bit(0, 1), 7, found, tile)) << "another piece near";
    EXPECT_FALSE(memo.RecallNearest(4, 4, 3, occupied, 7, found, tile)) << "another speed";

    // An answer of none is kept too, beside the one before; a third replaces the older.
    memo.KeepNearest(4, 4, 2, occupied, 8, false, tile);
    ASSERT_TRUE(memo.RecallNearest(4, 4, 2, occupied, 8, found, tile));
    EXPECT_FALSE(found);
    ASSERT_TRUE(memo.RecallNearest(4, 4, 2, occupied, 7, found, tile));
    EXPECT_TRUE(found);
    EXPECT_EQ(tile, (Tile{3, 3}));
    memo.KeepNearest(4, 4, 2, occupied, 9, true, {4, 5});
    EXPECT_FALSE(memo.RecallNearest(4, 4, 2, occupied, 7, found, tile));
    ASSERT_TRUE(memo.RecallNearest(4, 4, 2, occupied, 9, found, tile));
    EXPECT_EQ(tile, (Tile{4, 5}));
    ASSERT_TRUE(memo.RecallNearest(4, 4, 2, occupied, 8, found, tile));
    EXPECT_FALSE(found);

    // The list kept anew, or everything forgotten, drops the answer; the list itself stays.
    keepList();
    EXPECT_FALSE(memo.RecallNearest(4, 4, 2, occupied, 8, found, tile));
    std::vector<Tile> recalled;
    EXPECT_TRUE(memo.Recall(4, 4, 2, occupied, [&](int32_t x, int32_t y) { recalled.push_back({x, y}); }));
    EXPECT_EQ(recalled, tiles);
    memo.KeepNearest(4, 4, 2, occupied, 8, true, {5, 4});
    memo.Forget();
    EXPECT_FALSE(memo.RecallNearest(4, 4, 2, occupied, 8, found, tile));
}
