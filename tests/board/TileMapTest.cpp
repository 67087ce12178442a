#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "board/GameData.h"
#include "board/MapFile.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "input/CameraNode.h"
#include "input/Label.h"
#include "rules/PlayerController.h"
#include "support/TestGame.h"

namespace {
std::string TileText(Vector2 t)
{
    return "(" + std::to_string(static_cast<int>(t.x)) + ", " + std::to_string(static_cast<int>(t.y)) + ")";
}

bool SameColour(Color a, Color b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

TeamController* OwnerOfSide(const TileMap& board, int32_t side)
{
    return side == 0 || side == 1 ? board.teams[static_cast<size_t>(side)] : nullptr;
}

// The board holds exactly the tiles and pieces of the file, pieces in file order.
void ExpectBoardMatchesFile(const TileMap& board, const MapFile& file)
{
    ASSERT_EQ(board.tiles.size(), file.rows.size());
    for (size_t y = 0; y < file.rows.size(); ++y) {
        ASSERT_EQ(board.tiles[y].size(), file.rows[y].size()) << "row " << y;
        for (size_t x = 0; x < file.rows[y].size(); ++x) {
            const TileType& want = tileTypeTable[static_cast<size_t>(file.rows[y][x] - '0')];
            const TileType& got = board.tiles[y][x];
            EXPECT_TRUE(got.blocked == want.blocked && got.moveCost == want.moveCost && got.kind == want.kind)
                << "tile (" << x << ", " << y << ") is not digit " << file.rows[y][x];
        }
    }
    std::vector<Unit*> units = board.GetUnits();
    ASSERT_EQ(units.size(), file.pieces.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const MapPiece& p = file.pieces[i];
        EXPECT_EQ(units[i]->type, p.type) << "piece " << i;
        EXPECT_FLOAT_EQ(units[i]->position.x, 100.0f * static_cast<float>(p.x)) << "piece " << i;
        EXPECT_FLOAT_EQ(units[i]->position.y, 100.0f * static_cast<float>(p.y)) << "piece " << i;
        EXPECT_EQ(units[i]->team, OwnerOfSide(board, p.side)) << "piece " << i;
    }
}
}  // namespace

TEST(GetTile, OffTheBoardReadsAsTheBlockedOutsideTile)
{
    auto game = StartGame(TestDataPath("board-example.txt"));
    // Five columns, three rows: anything left of, above, at or past those limits is outside.
    const Vector2 outside[] = {{-1, 0}, {0, -1}, {-1, -1}, {5, 0}, {0, 3}, {5, 3}, {4, 3}, {5, 2}, {-100, 1}};
    for (Vector2 tile : outside) {
        TileType t = game->board->GetTile(tile);
        EXPECT_TRUE(t.blocked) << TileText(tile);
        EXPECT_EQ(t.moveCost, 999) << TileText(tile);
        EXPECT_EQ(t.kind, 3) << TileText(tile);
        EXPECT_TRUE(SameColour(t.color, BLACK)) << TileText(tile);
    }
}

TEST(GetTile, InsideTheBoardReadsTheDigitsKind)
{
    auto game = StartGame(TestDataPath("board-example.txt"));
    TileMap& board = *game->board;
    // Row 0 is "00010", row 1 "02010".
    TileType open = board.GetTile({0, 0});
    EXPECT_FALSE(open.blocked);
    EXPECT_EQ(open.moveCost, 1);
    EXPECT_EQ(open.kind, 1);
    EXPECT_TRUE(SameColour(open.color, BEIGE));
    TileType rough = board.GetTile({3, 0});
    EXPECT_FALSE(rough.blocked);
    EXPECT_EQ(rough.moveCost, 2);
    EXPECT_EQ(rough.kind, 0);
    EXPECT_TRUE(SameColour(rough.color, GREEN));
    TileType wall = board.GetTile({1, 1});
    EXPECT_TRUE(wall.blocked);
    EXPECT_EQ(wall.moveCost, 999);
    EXPECT_EQ(wall.kind, 2);
    // The last column and row are still inside.
    EXPECT_EQ(board.GetTile({4, 2}).moveCost, 1);
    EXPECT_FALSE(board.GetTile({4, 2}).blocked);
}

TEST(GetTile, BoardWidthIsTheFirstRowsLength)
{
    // Rows "000", "00012", "003": the tail of the longer row is stored but lies off the board.
    auto game = StartGame(TestDataPath("board-long-row.txt"));
    TileMap& board = *game->board;
    EXPECT_EQ(GameData::Get().mapWidth, 3);
    EXPECT_EQ(GameData::Get().mapHeight, 3);
    ASSERT_EQ(board.tiles.size(), 3u);
    EXPECT_EQ(board.tiles[1].size(), 5u);
    TileType beyond = board.GetTile({3, 1});
    EXPECT_TRUE(beyond.blocked) << "column 3 holds '1' in row 1 but is past the first row";
    EXPECT_EQ(beyond.kind, 3);
    TileType deep = board.GetTile({2, 2});
    EXPECT_TRUE(deep.blocked);
    EXPECT_EQ(deep.kind, 3) << "digit 3 is a map tile of kind 3";
}

TEST(LoadMap, RecordsTheMapSize)
{
    GameData::Get().mapWidth = 0;
    GameData::Get().mapHeight = 0;
    auto game = StartGame(TestDataPath("board-example.txt"));
    EXPECT_EQ(GameData::Get().mapWidth, 5);
    EXPECT_EQ(GameData::Get().mapHeight, 3);
}

TEST(LoadMap, SideIndexPicksTheOwner)
{
    // Sides 0, 1, 2, -1, 0 (missing field) and 7, in that order.
    auto game = StartGame(TestDataPath("board-sides.txt"));
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    ASSERT_EQ(units.size(), 6u);
    EXPECT_EQ(units[0]->team, game->player);
    EXPECT_EQ(units[1]->team, game->ai);
    EXPECT_EQ(units[2]->team, nullptr) << "side 2 is no side";
    EXPECT_EQ(units[3]->team, nullptr) << "side -1 is no side";
    EXPECT_EQ(units[4]->type, 2) << "line \"2,5,3\" is a Mage";
    EXPECT_FLOAT_EQ(units[4]->position.x, 500.0f);
    EXPECT_FLOAT_EQ(units[4]->position.y, 300.0f);
    EXPECT_EQ(units[4]->team, game->player) << "a missing side field is side 0";
    EXPECT_EQ(units[5]->team, nullptr) << "side 7 is no side";
    EXPECT_NE(dynamic_cast<Castle*>(units[2]), nullptr);
    EXPECT_NE(dynamic_cast<Castle*>(units[3]), nullptr);
}

TEST(SpawnUnit, AppendsAnInitialisedPieceOnTheTile)
{
    auto game = StartGame(TestDataPath("board-example.txt"));
    TileMap& board = *game->board;
    size_t before = board.children.size();
    Unit* mage = board.SpawnUnit(2, {1, 2}, game->ai);
    ASSERT_EQ(board.children.size(), before + 1);
    EXPECT_EQ(board.children.back(), mage);
    EXPECT_EQ(mage->parent, &board);
    EXPECT_EQ(mage->map, &board) << "Init sets the board";
    EXPECT_EQ(mage->type, 2);
    EXPECT_EQ(mage->team, game->ai);
    EXPECT_FLOAT_EQ(mage->position.x, 100.0f);
    EXPECT_FLOAT_EQ(mage->position.y, 200.0f);
    EXPECT_TRUE(mage->hasMoved);
    EXPECT_TRUE(mage->hasAttacked);
    EXPECT_EQ(dynamic_cast<Castle*>(mage), nullptr);

    Unit* castle = board.SpawnUnit(3, {0, 2}, nullptr);
    EXPECT_EQ(board.children.back(), castle);
    EXPECT_NE(dynamic_cast<Castle*>(castle), nullptr);
    EXPECT_EQ(castle->value, 1000);
}

TEST(SpawnUnit, ChecksNeitherTerrainNorOccupancyAndTheFirstPieceWins)
{
    auto game = StartGame(TestDataPath("board-example.txt"));
    TileMap& board = *game->board;
    Unit* first = board.GetUnitAt({0, 0});
    ASSERT_NE(first, nullptr);
    Unit* second = board.SpawnUnit(1, {0, 0}, game->ai);
    Unit* onWall = board.SpawnUnit(0, {1, 1}, game->ai);
    EXPECT_EQ(second->parent, &board);
    EXPECT_EQ(onWall->parent, &board);
    EXPECT_EQ(board.GetUnitAt({0, 0}), first) << "the earlier child stands first on a shared tile";
    EXPECT_EQ(board.GetUnitAt({1, 1}), onWall);
}

TEST(PieceQueries, FollowTheChildOrder)
{
    auto game = StartGame(TestDataPath("board-sides.txt"));
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    ASSERT_EQ(units.size(), 6u);
    // Knight, Archer, castle, castle, Mage, Knight as in the file.
    const int32_t types[] = {0, 1, 3, 3, 2, 0};
    for (size_t i = 0; i < units.size(); ++i) {
        EXPECT_EQ(units[i]->type, types[i]) << "piece " << i;
        EXPECT_EQ(units[i], board.children[3 + i]) << "piece " << i;
    }
    EXPECT_EQ(board.GetUnitsOf(game->player), (std::vector<Unit*>{units[0], units[4]}));
    EXPECT_EQ(board.GetUnitsOf(game->ai), (std::vector<Unit*>{units[1]}));
    EXPECT_EQ(board.GetUnitsOf(nullptr), (std::vector<Unit*>{units[2], units[3], units[5]}));
    std::vector<Castle*> castles = board.GetCastles();
    ASSERT_EQ(castles.size(), 2u);
    EXPECT_EQ(castles[0], units[2]);
    EXPECT_EQ(castles[1], units[3]);
    EXPECT_EQ(board.GetUnitAt({5, 3}), units[4]);
    EXPECT_EQ(board.GetUnitAt({4, 3}), nullptr);
    EXPECT_EQ(board.GetUnitAt({-1, 0}), nullptr);

    Unit* late = board.SpawnUnit(3, {6, 0}, game->player);
    castles = board.GetCastles();
    ASSERT_EQ(castles.size(), 3u);
    EXPECT_EQ(castles[2], late) << "a later castle comes last";
    EXPECT_EQ(board.GetUnitsOf(game->player).back(), late);
}

TEST(GameSetup, ChildrenAreSidesCameraThenPiecesInFileOrder)
{
    auto game = StartGame(TestDataPath("board-sides.txt"));
    TileMap& board = *game->board;
    ASSERT_EQ(board.children.size(), 3u + 6u);
    ASSERT_EQ(board.teams.size(), 2u);
    EXPECT_EQ(board.children[0], board.teams[0]);
    EXPECT_NE(dynamic_cast<PlayerController*>(board.children[0]), nullptr);
    EXPECT_EQ(board.children[1], board.teams[1]);
    EXPECT_EQ(board.children[1], board.ai);
    EXPECT_EQ(board.children[2], board.camera);
    EXPECT_NE(dynamic_cast<CameraNode*>(board.children[2]), nullptr);
    ExpectBoardMatchesFile(board, ReadMapFile(TestDataPath("board-sides.txt")));
}

TEST(GameSetup, SidesGetTheirColoursAndTheAiItsHeadStart)
{
    auto game = StartGame(TestDataPath("board-sides.txt"));
    const std::array<float, 4> blue = {0.0f, 0.0f, 1.0f, 1.0f};
    const std::array<float, 4> red = {1.0f, 0.0f, 0.0f, 1.0f};
    EXPECT_EQ(game->player->color, blue);
    EXPECT_EQ(game->ai->color, red);
    EXPECT_EQ(game->ai->gold, 300);
    EXPECT_EQ(game->player->gold, 0) << "the human owns no castle here";
    EXPECT_EQ(game->player->map, game->board);
    EXPECT_EQ(game->ai->map, game->board);
}

TEST(GameSetup, TutorialAddsTwelveLabelsAfterThePieces)
{
    auto game = StartGame("", nullptr, true);
    TileMap& board = *game->board;
    MapFile file = ReadMapFile(GameDataPath("TutorialMap.txt"));
    ASSERT_EQ(board.children.size(), 3 + file.pieces.size() + 12);
    EXPECT_NE(dynamic_cast<PlayerController*>(board.children[0]), nullptr);
    EXPECT_EQ(board.children[1], board.ai);
    EXPECT_EQ(board.children[2], board.camera);
    for (size_t i = 0; i < file.pieces.size(); ++i) {
        EXPECT_NE(dynamic_cast<Unit*>(board.children[3 + i]), nullptr) << "child " << 3 + i;
    }
    for (size_t i = 3 + file.pieces.size(); i < board.children.size(); ++i) {
        EXPECT_NE(dynamic_cast<Label*>(board.children[i]), nullptr) << "child " << i << " is not a label";
    }
    ExpectBoardMatchesFile(board, file);
}

TEST(GameSetup, TutorialCameraStartsUpAndLeftOfTheBoard)
{
    auto game = StartGame("", nullptr, true);
    ASSERT_NE(game->board->camera, nullptr);
    EXPECT_FLOAT_EQ(game->board->camera->position.x, -100.0f);
    EXPECT_FLOAT_EQ(game->board->camera->position.y, -100.0f);
    // The human moves first and has been paid for its one castle.
    EXPECT_EQ(game->board->currentTeam, 0);
    EXPECT_EQ(game->player->gold, 100);
}

TEST(GameSetup, OtherBoardsCameraStartsAtTheOrigin)
{
    auto game = StartGame(TestDataPath("board-example.txt"));
    ASSERT_NE(game->board->camera, nullptr);
    EXPECT_FLOAT_EQ(game->board->camera->position.x, 0.0f);
    EXPECT_FLOAT_EQ(game->board->camera->position.y, 0.0f);
    EXPECT_FLOAT_EQ(game->board->camera->camera.zoom, 1.0f);
}

TEST(GameSetup, TutorialLeavesTheMapIndexAlone)
{
    for (int32_t index : {1, 0}) {
        GameData::Get().mapIndex = index;
        auto game = StartGame("", nullptr, true);
        EXPECT_EQ(GameData::Get().mapIndex, index);
    }
}

TEST(GameSetup, DrawnMapIndexNamesTheMapThatWasLoaded)
{
    const MapFile files[2] = {ReadMapFile(GameDataPath("Map1.txt")), ReadMapFile(GameDataPath("Map2.txt"))};
    bool seen[2] = {false, false};
    for (unsigned seed = 1; seed <= 16; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        GameData::Get().mapIndex = -1;
        srand(seed);
        auto game = StartGame("");
        int32_t index = GameData::Get().mapIndex;
        ASSERT_TRUE(index == 0 || index == 1) << "mapIndex " << index;
        seen[index] = true;
        ExpectBoardMatchesFile(*game->board, files[index]);
    }
    // Sixteen draws of rand() % 2 under different seeds give both maps.
    EXPECT_TRUE(seen[0]) << "Map1 was never drawn";
    EXPECT_TRUE(seen[1]) << "Map2 was never drawn";
}
