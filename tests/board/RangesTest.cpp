#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "board/BoardQueries.h"
#include "support/TestGame.h"

namespace {
enum : int32_t { knight, archer, mage, castle };

// An empty 11 x 11 board of plain ground with the given pieces, {type, x, y, side}: side 0 ours,
// 1 theirs, -1 nobody's.
std::unique_ptr<TestGame> OpenBoard(const std::vector<std::array<int, 4>>& pieces)
{
    auto game = StartGame("board-open-11.txt");
    for (const auto& [type, x, y, side] : pieces) {
        game->board->SpawnUnit(type, Tile(x, y), side < 0 ? nullptr : game->board->teams[static_cast<size_t>(side)]);
    }
    return game;
}
}  // namespace

// The first piece attacks from the given tile; targets in the board's order.
TEST(Ranges, AttackTargets)
{
    const std::tuple<const char*, std::vector<std::array<int, 4>>, Vector2, const char*> rows[] = {
        // Distances 5, 6, 5, 6 and a neutral unit at 5.
        {"an Archer reaches five tiles, not six", {{archer, 5, 5, 0}, {knight, 7, 8, 1}, {knight, 8, 8, 1},
          {mage, 5, 0, 1}, {archer, 0, 4, 1}, {knight, 10, 5, -1}}, {5, 5}, "(7,8) (5,0) (10,5)"},
        {"a castle three tiles away is out of any range", {{archer, 5, 5, 0}, {castle, 5, 8, 1}}, {5, 5}, ""},
        {"a castle is hit from a tile next to it", {{archer, 5, 5, 0}, {castle, 5, 8, 1}}, {5, 7}, "(5,8)"},
        {"a neutral castle is a target", {{knight, 4, 5, 0}, {castle, 5, 5, -1}, {knight, 6, 5, 1}}, {4, 5}, "(5,5)"},
        {"our own pieces never are", {{archer, 0, 5, 0}, {knight, 4, 5, 0}, {castle, 0, 6, 0}}, {0, 5}, ""},
    };
    for (const auto& [name, pieces, from, targets] : rows) {
        auto game = OpenBoard(pieces);
        EXPECT_EQ(TilesText(game->board->GetUnits()[0]->GetAttackTargets(from)), targets) << name;
    }
}

// The order of the offered tiles, which the opponents' ties follow. A unit of speed 2 alone on open
// ground, the example the rules give: the four neighbours right, down, left, up; the upper one, added
// last, is expanded next, then the left, the lower and the right one. At the edges and corners the
// tiles off the board are skipped in the same order. A castle offers its free neighbours right, down,
// left, up. Units: the plain walk, and the board queries' remembered lists as first found and as
// read back.
TEST(Ranges, OfferedTilesInDiscoveryOrder)
{
    const std::tuple<int32_t, int, int, const char*> cases[] = {
        {knight, 5, 5, "(6,5) (5,6) (4,5) (5,4) (6,4) (4,4) (5,3) (4,6) (3,5) (6,6) (5,7) (7,5)"},
        {knight, 0, 0, "(1,0) (0,1) (1,1) (0,2) (2,0)"},
        {knight, 10, 10, "(9,10) (10,9) (9,9) (10,8) (8,10)"},
        {knight, 5, 0, "(6,0) (5,1) (4,0) (4,1) (3,0) (6,1) (5,2) (7,0)"},
        {knight, 0, 5, "(1,5) (0,6) (0,4) (1,4) (0,3) (1,6) (0,7) (2,5)"},
        {castle, 5, 5, "(6,5) (5,6) (4,5) (5,4)"},
        {castle, 0, 0, "(1,0) (0,1)"},
    };
    for (const auto& [type, x, y, offered] : cases) {
        SCOPED_TRACE(TypeInfo(type).name + TileText(Tile(x, y)));
        auto game = OpenBoard({{type, x, y, 0}});
        Unit* piece = game->board->GetUnits()[0];
        if (type == castle) {
            EXPECT_EQ(TilesText(piece->GetSpawnTiles()), offered);
            continue;
        }
        piece->speed = 2;
        EXPECT_EQ(TilesText(piece->GetReachableTiles()), offered);
        BoardQueries queries(*game->board);
        queries.RememberReachable();
        EXPECT_EQ(TilesText(queries.Reachable(*piece)), offered);
        EXPECT_EQ(TilesText(queries.Reachable(*piece)), offered);
    }
}

// Remembered lists are found by the start, the speed and the pieces around. In a table of one
// slot every position shares it: a piece that came near must still change the unit's way.
TEST(Ranges, RememberedReachableTilesFollowThePiecesAround)
{
    auto game = OpenBoard({{knight, 5, 5, 0}});
    Unit* unit = game->board->GetUnits()[0];
    BoardQueries queries(*game->board);
    queries.RememberReachable(1);
    queries.Reachable(*unit);  // the unit alone takes the slot
    for (Vector2 comer : {Tile(6, 5), Tile(3, 4)}) {
        game->board->SpawnUnit(knight, comer, game->board->teams[1]);
        queries.Refresh();
        EXPECT_EQ(TilesText(queries.Reachable(*unit)), TilesText(unit->GetReachableTiles())) << "a Knight came to " << TileText(comer);
    }
}

// Against an independent cheapest-cost search, on random terrain (open ground costing 1, rough 2,
// walls) with random pieces of both sides, all of which block (our own too), and the board's edges.
TEST(Ranges, ReachableTilesAreExactlyTheTilesWithinSpeedOnRandomBoards)
{
    std::mt19937 random(20240611u);
    std::discrete_distribution<int> digit({6, 3, 1, 1});
    std::uniform_int_distribution<int> coordinate(0, 10);
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::array<int, 4>> pieces;
        for (int i = 0; i < 12; ++i) {
            pieces.push_back({coordinate(random) % 4, coordinate(random), coordinate(random), i % 2});
        }
        auto game = OpenBoard(pieces);
        TileMap& board = *game->board;
        for (auto& row : board.tiles) {
            for (TileType& tile : row) {
                tile = tileTypeTable[static_cast<size_t>(digit(random))];
            }
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
                        const TileType& tile = board.GetTile(next);
                        std::pair<int, int> key = {next.x, next.y};
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
            ASSERT_EQ(TilesText(unit->GetReachableTiles(), true), TilesText(expected, true))
                << "speed " << unit->speed << ", " << PieceText(unit);
        }
    }
}
