#include <map>
#include <random>

#include "support/BoardChecks.h"

namespace {
constexpr int32_t knight = 0;
constexpr int32_t archer = 1;
constexpr int32_t mage = 2;
constexpr int32_t castle = 3;

// An empty 11 x 11 board of plain ground, pieces placed by each test.
class OpenBoard : public testing::Test {
protected:
    Unit* Ours(int32_t type, Vector2 tile) { return board.SpawnUnit(type, tile, game->player); }
    Unit* Theirs(int32_t type, Vector2 tile) { return board.SpawnUnit(type, tile, game->ai); }

    std::unique_ptr<TestGame> game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
};

using ReachableTiles = OpenBoard;
using AttackTargets = OpenBoard;
}  // namespace

TEST_F(ReachableTiles, OwnKnightBlocksTheGap)
{
    // A wall in row 1 with one gap at (2,1), held by the mover's own Knight.
    auto gap = StartGame(TestDataPath("board-gap.txt"));
    Unit* mover = gap->board->GetUnitAt({2, 0});
    Unit* blocker = gap->board->GetUnitAt({2, 1});
    ASSERT_TRUE(mover != nullptr && blocker != nullptr);
    ASSERT_EQ(blocker->team, mover->team);
    EXPECT_TRUE(SameTileSet(mover->GetReachableTiles(), {{0, 0}, {1, 0}, {3, 0}, {4, 0}}));

    // With the gap open the row beyond is reached, but not the tile the Knight now holds.
    blocker->position = {0.0f, 200.0f};
    EXPECT_TRUE(SameTileSet(mover->GetReachableTiles(),
                            {{0, 0}, {1, 0}, {3, 0}, {4, 0}, {2, 1}, {2, 2}, {1, 2}, {3, 2}, {4, 2}}));
}

// Against an independent cheapest-cost search, on random terrain (open ground costing 1, rough 2,
// walls) with random pieces of both sides, all of which block, and the board's edges. Spawned
// pieces are spent: the query ignores the flags.
TEST_F(ReachableTiles, AreExactlyTheTilesWithinSpeedOnRandomBoards)
{
    std::mt19937 random(20240611u);
    board.updateVisibility = false;  // vision plays no part here
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        for (Unit* unit : board.GetUnits()) {
            board.RemoveChild(unit);
            delete unit;
        }
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
            Vector2 tile = {static_cast<float>(coordinate(random)), static_cast<float>(coordinate(random))};
            board.SpawnUnit(type(random), tile, i % 2 == 0 ? static_cast<TeamController*>(game->player) : game->ai);
        }
        for (Unit* unit : board.GetUnits()) {
            if (board.GetUnitAt(unit->GetTile()) != unit) {
                continue;  // a second piece spawned on an occupied tile
            }
            // Cheapest walking cost of every tile: relaxation until nothing improves.
            std::map<std::pair<int, int>, int> cost = {{{unit->GetTile().x, unit->GetTile().y}, 0}};
            for (bool changed = true; changed;) {
                changed = false;
                for (auto [at, here] : std::map(cost)) {
                    for (Vector2 d : neighbourOffsets) {
                        Vector2 next = {static_cast<float>(at.first) + d.x, static_cast<float>(at.second) + d.y};
                        std::pair<int, int> key = {next.x, next.y};
                        const TileType& tile = board.GetTile(next);
                        bool cheaper = !cost.count(key) || here + tile.moveCost < cost[key];
                        if (!tile.blocked && !board.GetUnitAt(next) && cheaper) {
                            cost[key] = here + tile.moveCost;
                            changed = true;
                        }
                    }
                }
            }
            std::vector<Vector2> expected;
            for (auto [at, c] : cost) {
                if (c > 0 && c <= unit->speed) {
                    expected.push_back({static_cast<float>(at.first), static_cast<float>(at.second)});
                }
            }
            ASSERT_TRUE(SameTileSet(unit->GetReachableTiles(), expected)) << "speed " << unit->speed << ", "
                                                                          << PieceText(unit);
        }
    }
}

TEST_F(AttackTargets, ArcherReachesFiveTilesButNotSix)
{
    Unit* shooter = Ours(archer, {5, 5});
    Theirs(knight, {7, 8});                       // 2 + 3 = 5
    Theirs(knight, {8, 8});                       // 3 + 3 = 6
    Theirs(mage, {5, 0});                         // 5
    Theirs(archer, {0, 4});                       // 5 + 1 = 6
    board.SpawnUnit(knight, {10, 5}, nullptr);    // a neutral unit is a target too, 5
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets(shooter->GetTile()), {{7, 8}, {5, 0}, {10, 5}}));
}

TEST_F(AttackTargets, CastleOnlyFromAnAdjacentTileWhateverTheRange)
{
    Unit* shooter = Ours(archer, {5, 5});
    Theirs(castle, {5, 8});
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets({5, 5}), {})) << "three tiles away";
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets({5, 7}), {{5, 8}})) << "next to it";
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets({4, 8}), {{5, 8}})) << "next to it, left";
}

TEST_F(AttackTargets, NeutralCastleIsATargetOfBothSidesOwnPiecesNeverAre)
{
    board.SpawnUnit(castle, {5, 5}, nullptr);
    Unit* blue = Ours(knight, {4, 5});
    Unit* red = Theirs(knight, {6, 5});
    EXPECT_TRUE(TilesAre(blue->GetAttackTargets(blue->GetTile()), {{5, 5}}));
    EXPECT_TRUE(TilesAre(red->GetAttackTargets(red->GetTile()), {{5, 5}}));

    Unit* shooter = Ours(archer, {0, 5});  // our Knight in range, their Knight out of it
    Ours(castle, {0, 6});
    Unit* caster = Theirs(mage, {9, 5});  // their Knight and castle in range, ours out of it
    Theirs(castle, {9, 4});
    EXPECT_TRUE(TilesAre(shooter->GetAttackTargets(shooter->GetTile()), {}));
    EXPECT_TRUE(TilesAre(caster->GetAttackTargets(caster->GetTile()), {}));
}

TEST(SpawnTilesOnFixtures, WallsEdgesAndPiecesOfAnyOwnerAreLeftOut)
{
    // board-spawn: rough "1" at (1,2), wall "2" at (2,3).
    auto game = StartGame(TestDataPath("board-spawn.txt"));
    auto spawnTiles = [&](float x, float y) { return game->board->GetUnitAt({x, y})->GetSpawnTiles(); };
    EXPECT_TRUE(TilesAre(spawnTiles(0, 0), {{1, 0}, {0, 1}})) << "top-left corner";
    // Right held by a Knight, down a wall, left rough ground (cost plays no part), up open.
    EXPECT_TRUE(TilesAre(spawnTiles(2, 2), {{1, 2}, {2, 1}}));
    EXPECT_TRUE(TilesAre(spawnTiles(4, 4), {{4, 3}})) << "bottom-right corner, an enemy Knight on its left";
    EXPECT_TRUE(TilesAre(spawnTiles(0, 3), {{1, 3}, {0, 2}})) << "a neutral castle, another castle below it";
    EXPECT_TRUE(TilesAre(spawnTiles(0, 4), {})) << "bottom-left: an enemy Knight right, a neutral castle above";
}
