#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "rules/PlayerController.h"
#include "support/TestGame.h"

namespace {
using Tiles = std::vector<Vector2>;

std::string Describe(const Tiles& tiles)
{
    std::string text = "[";
    for (Vector2 t : tiles) {
        text += "(" + std::to_string(static_cast<int>(t.x)) + "," + std::to_string(static_cast<int>(t.y)) + ")";
    }
    return text + "]";
}

// Same tiles in the same order.
::testing::AssertionResult TilesAre(const Tiles& actual, const Tiles& expected)
{
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < actual.size(); ++i) {
        same = SameTile(actual[i], expected[i]);
    }
    if (same) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got " << Describe(actual) << ", expected " << Describe(expected);
}

std::set<std::pair<int, int>> AsSet(const Tiles& tiles)
{
    std::set<std::pair<int, int>> set;
    for (Vector2 t : tiles) {
        set.insert({static_cast<int>(t.x), static_cast<int>(t.y)});
    }
    return set;
}

::testing::AssertionResult SameTileSet(const Tiles& actual, const Tiles& expected)
{
    if (AsSet(actual) == AsSet(expected) && actual.size() == expected.size()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got " << Describe(actual) << ", expected in any order "
                                         << Describe(expected);
}

constexpr int32_t knight = 0;
constexpr int32_t archer = 1;
constexpr int32_t mage = 2;
constexpr int32_t castle = 3;
}  // namespace

TEST(ReachableTiles, SpeedTwoOnOpenGroundInDiscoveryOrder)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    Unit* unit = game->board->SpawnUnit(knight, {5, 5}, game->player);
    unit->speed = 2;
    // The four neighbours first; the upper one, added last, is expanded next, then
    // the left, the lower and the right one (a stable sort keeps equal points in order).
    const Tiles relative = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, -1}, {-1, -1},
                            {0, -2}, {-1, 1}, {-2, 0}, {1, 1},  {0, 2},  {2, 0}};
    Tiles expected;
    for (Vector2 d : relative) {
        expected.push_back({5 + d.x, 5 + d.y});
    }
    EXPECT_TRUE(TilesAre(unit->GetReachableTiles(), expected));
}

TEST(ReachableTiles, KnightOnOpenGroundReachesTheWholeDiamond)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    Unit* unit = game->board->SpawnUnit(knight, {5, 5}, game->player);
    unit->hasMoved = true;  // the query itself ignores the flag
    Tiles expected;
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 11; ++x) {
            int distance = std::abs(x - 5) + std::abs(y - 5);
            if (distance >= 1 && distance <= 5) {
                expected.push_back({static_cast<float>(x), static_cast<float>(y)});
            }
        }
    }
    ASSERT_EQ(expected.size(), 60u);
    EXPECT_TRUE(SameTileSet(unit->GetReachableTiles(), expected));
}

TEST(ReachableTiles, MageEntersRoughGroundAndOneStepFurther)
{
    // A corridor: the Mage at (0,1), "1" at (1,1) costs 2, then "0" tiles cost 1 each.
    auto game = StartGame(TestDataPath("board-mage-corridor.txt"));
    Unit* unit = game->board->GetUnitAt({0, 1});
    ASSERT_NE(unit, nullptr);
    ASSERT_EQ(unit->speed, 3);
    EXPECT_TRUE(TilesAre(unit->GetReachableTiles(), {{1, 1}, {2, 1}})) << "3 points: 2 for the rough tile, 1 more";
}

TEST(ReachableTiles, OwnKnightBlocksTheGap)
{
    // A wall in row 1 with one gap at (2,1), held by the mover's own Knight.
    auto game = StartGame(TestDataPath("board-gap.txt"));
    Unit* mover = game->board->GetUnitAt({2, 0});
    Unit* blocker = game->board->GetUnitAt({2, 1});
    ASSERT_NE(mover, nullptr);
    ASSERT_NE(blocker, nullptr);
    ASSERT_EQ(blocker->team, mover->team);
    EXPECT_TRUE(SameTileSet(mover->GetReachableTiles(), {{0, 0}, {1, 0}, {3, 0}, {4, 0}}));

    // With the gap open the row beyond is reached, but not the tile the Knight now holds.
    blocker->position = {0.0f, 200.0f};
    EXPECT_TRUE(SameTileSet(mover->GetReachableTiles(),
                            {{0, 0}, {1, 0}, {3, 0}, {4, 0}, {2, 1}, {2, 2}, {1, 2}, {3, 2}, {4, 2}}));
}

TEST(ReachableTiles, BoxedInUnitGetsNothing)
{
    // (0,0): a wall to the right, an enemy below, the board's edge left and above.
    auto game = StartGame(TestDataPath("board-boxed.txt"));
    Unit* unit = game->board->GetUnitAt({0, 0});
    ASSERT_NE(unit, nullptr);
    EXPECT_TRUE(TilesAre(unit->GetReachableTiles(), {}));

    // Surrounded by its own side's pieces on open ground: every piece blocks.
    auto open = StartGame(TestDataPath("board-open-11.txt"));
    Unit* middle = open->board->SpawnUnit(knight, {5, 5}, open->player);
    open->board->SpawnUnit(castle, {6, 5}, open->player);
    open->board->SpawnUnit(archer, {5, 6}, open->player);
    open->board->SpawnUnit(mage, {4, 5}, open->player);
    open->board->SpawnUnit(knight, {5, 4}, open->player);
    EXPECT_TRUE(TilesAre(middle->GetReachableTiles(), {}));
}

namespace {
// Entering cost of every tile of a width x height board, -1 where blocked or occupied.
std::vector<std::vector<int>> EnterCosts(const TileMap& board, int width, int height)
{
    std::vector<std::vector<int>> enter(static_cast<size_t>(height), std::vector<int>(static_cast<size_t>(width), -1));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Vector2 tile = {static_cast<float>(x), static_cast<float>(y)};
            if (!board.GetTile(tile).blocked && board.GetUnitAt(tile) == nullptr) {
                enter[static_cast<size_t>(y)][static_cast<size_t>(x)] = board.GetTile(tile).moveCost;
            }
        }
    }
    return enter;
}

// Cheapest path cost from `start` to every tile (relaxation until nothing improves).
std::vector<std::vector<int>> CheapestCosts(const std::vector<std::vector<int>>& enter, int startX, int startY)
{
    const int height = static_cast<int>(enter.size());
    const int width = static_cast<int>(enter.front().size());
    std::vector<std::vector<int>> cost(static_cast<size_t>(height), std::vector<int>(static_cast<size_t>(width), INT_MAX));
    cost[static_cast<size_t>(startY)][static_cast<size_t>(startX)] = 0;
    bool changed = true;
    while (changed) {
        changed = false;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                int here = cost[static_cast<size_t>(y)][static_cast<size_t>(x)];
                if (here == INT_MAX) {
                    continue;
                }
                for (Vector2 d : neighbourOffsets) {
                    int nx = x + static_cast<int>(d.x);
                    int ny = y + static_cast<int>(d.y);
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) {
                        continue;
                    }
                    int step = enter[static_cast<size_t>(ny)][static_cast<size_t>(nx)];
                    int& there = cost[static_cast<size_t>(ny)][static_cast<size_t>(nx)];
                    if (step >= 0 && here + step < there) {
                        there = here + step;
                        changed = true;
                    }
                }
            }
        }
    }
    return cost;
}
}  // namespace

TEST(ReachableTiles, AreExactlyTheTilesWithinSpeedOnRandomBoards)
{
    std::mt19937 random(20240611u);
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto game = StartGame(TestDataPath("board-open-11.txt"));
        TileMap& board = *game->board;
        board.updateVisibility = false;  // vision plays no part here
        // Mostly open ground, some rough, some walls.
        std::discrete_distribution<int> digit({6, 3, 1, 1});
        for (auto& row : board.tiles) {
            for (TileType& tile : row) {
                tile = tileTypeTable[static_cast<size_t>(digit(random))];
            }
        }
        std::uniform_int_distribution<int> coordinate(0, 10);
        std::uniform_int_distribution<int> type(0, 3);
        for (int i = 0; i < 12; ++i) {
            board.SpawnUnit(type(random), {static_cast<float>(coordinate(random)), static_cast<float>(coordinate(random))},
                            i % 2 == 0 ? static_cast<TeamController*>(game->player) : game->ai);
        }
        auto enter = EnterCosts(board, 11, 11);
        for (Unit* unit : board.GetUnits()) {
            if (board.GetUnitAt(unit->GetTile()) != unit) {
                continue;  // a second piece spawned on an occupied tile
            }
            Tiles reached = unit->GetReachableTiles();
            auto cost = CheapestCosts(enter, static_cast<int>(unit->GetTile().x), static_cast<int>(unit->GetTile().y));
            Tiles expected;
            for (int y = 0; y < 11; ++y) {
                for (int x = 0; x < 11; ++x) {
                    int c = cost[static_cast<size_t>(y)][static_cast<size_t>(x)];
                    if (c > 0 && c <= unit->speed) {
                        expected.push_back({static_cast<float>(x), static_cast<float>(y)});
                    }
                }
            }
            ASSERT_TRUE(SameTileSet(reached, expected))
                << "unit of speed " << unit->speed << " at " << Describe({unit->GetTile()});
        }
    }
}

TEST(AttackTargets, ArcherReachesFiveTilesButNotSix)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
    Unit* shooter = board.SpawnUnit(archer, {5, 5}, game->player);
    board.SpawnUnit(knight, {7, 8}, game->ai);   // 2 + 3 = 5
    board.SpawnUnit(knight, {8, 8}, game->ai);   // 3 + 3 = 6
    board.SpawnUnit(mage, {5, 0}, game->ai);     // 5
    board.SpawnUnit(archer, {0, 4}, game->ai);   // 5 + 1 = 6
    board.SpawnUnit(knight, {10, 5}, nullptr);   // a neutral unit is a target too, 5
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets(shooter->GetTile()), {{7, 8}, {5, 0}, {10, 5}}));
}

TEST(AttackTargets, KnightReachesOnlyAdjacentPiecesFromTheGivenTile)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
    Unit* fighter = board.SpawnUnit(knight, {5, 5}, game->player);
    board.SpawnUnit(knight, {6, 5}, game->ai);  // right
    board.SpawnUnit(archer, {6, 6}, game->ai);  // diagonal: distance 2
    board.SpawnUnit(mage, {5, 4}, game->ai);    // above
    board.SpawnUnit(knight, {5, 7}, game->ai);  // two below
    EXPECT_TRUE(TilesAre(fighter->GetAttackTargets({5, 5}), {{6, 5}, {5, 4}}));
    // Standing one tile lower instead, other pieces are adjacent.
    EXPECT_TRUE(TilesAre(fighter->GetAttackTargets({5, 6}), {{6, 6}, {5, 7}}));
}

TEST(AttackTargets, CastleOnlyFromAnAdjacentTileWhateverTheRange)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
    Unit* shooter = board.SpawnUnit(archer, {5, 5}, game->player);
    board.SpawnUnit(castle, {5, 8}, game->ai);
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets({5, 5}), {})) << "three tiles away";
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets({6, 7}), {})) << "diagonal: two tiles away";
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets({5, 7}), {{5, 8}})) << "next to it";
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets({4, 8}), {{5, 8}})) << "next to it, left";
}

TEST(AttackTargets, NeutralCastleIsATargetOfBothSides)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
    board.SpawnUnit(castle, {5, 5}, nullptr);
    Unit* blue = board.SpawnUnit(knight, {4, 5}, game->player);
    Unit* red = board.SpawnUnit(knight, {6, 5}, game->ai);
    EXPECT_TRUE(TilesAre(blue->GetAttackTargets(blue->GetTile()), {{5, 5}}));
    EXPECT_TRUE(TilesAre(red->GetAttackTargets(red->GetTile()), {{5, 5}}));
}

TEST(AttackTargets, OwnPiecesAreNeverTargets)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
    Unit* fighter = board.SpawnUnit(knight, {5, 5}, game->player);
    Unit* shooter = board.SpawnUnit(archer, {6, 5}, game->player);
    board.SpawnUnit(castle, {5, 6}, game->player);
    board.SpawnUnit(mage, {4, 5}, game->player);
    EXPECT_TRUE(TilesAre(fighter->GetAttackTargets(fighter->GetTile()), {}));
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets(shooter->GetTile()), {}));
    // The AI side likewise skips its own.
    Unit* red = board.SpawnUnit(mage, {0, 0}, game->ai);
    board.SpawnUnit(knight, {1, 0}, game->ai);
    board.SpawnUnit(castle, {0, 1}, game->ai);
    EXPECT_TRUE(TilesAre(red->GetAttackTargets(red->GetTile()), {}));
}

TEST(SpawnTiles, FreePassableNeighboursRightDownLeftUp)
{
    auto open = StartGame(TestDataPath("board-open-11.txt"));
    Unit* middle = open->board->SpawnUnit(castle, {5, 5}, open->player);
    EXPECT_TRUE(TilesAre(middle->GetSpawnTiles(), {{6, 5}, {5, 6}, {4, 5}, {5, 4}}));

    // board-spawn: rough "1" at (1,2), wall "2" at (2,3).
    auto game = StartGame(TestDataPath("board-spawn.txt"));
    TileMap& board = *game->board;
    Unit* corner = board.GetUnitAt({0, 0});
    EXPECT_TRUE(TilesAre(corner->GetSpawnTiles(), {{1, 0}, {0, 1}})) << "top-left corner";
    // Right held by a Knight, down a wall, left rough ground (cost plays no part), up open.
    Unit* inner = board.GetUnitAt({2, 2});
    EXPECT_TRUE(TilesAre(inner->GetSpawnTiles(), {{1, 2}, {2, 1}}));
    // Bottom-right corner with an enemy Knight on its left.
    Unit* enemyCorner = board.GetUnitAt({4, 4});
    EXPECT_TRUE(TilesAre(enemyCorner->GetSpawnTiles(), {{4, 3}}));
    // A neutral castle: below it is another castle.
    Unit* neutral = board.GetUnitAt({0, 3});
    EXPECT_TRUE(TilesAre(neutral->GetSpawnTiles(), {{1, 3}, {0, 2}}));
}

TEST(SpawnTiles, NoneWhenEveryNeighbourHoldsAPiece)
{
    // Bottom-left corner: an enemy Knight to the right, a neutral castle above.
    auto game = StartGame(TestDataPath("board-spawn.txt"));
    Unit* surrounded = game->board->GetUnitAt({0, 4});
    ASSERT_NE(surrounded, nullptr);
    EXPECT_TRUE(TilesAre(surrounded->GetSpawnTiles(), {}));

    auto open = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *open->board;
    Unit* middle = board.SpawnUnit(castle, {5, 5}, open->player);
    board.SpawnUnit(knight, {6, 5}, open->player);
    board.SpawnUnit(knight, {5, 6}, open->ai);
    board.SpawnUnit(castle, {4, 5}, nullptr);
    board.SpawnUnit(mage, {5, 4}, open->player);
    EXPECT_TRUE(TilesAre(middle->GetSpawnTiles(), {}));
}
