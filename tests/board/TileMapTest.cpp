#include "board/GameData.h"
#include "board/MapFile.h"
#include "input/CameraNode.h"
#include "input/Label.h"
#include "support/BoardChecks.h"

namespace {
// The four kinds by digit: open ground, rough ground, wall, void; off the board reads as digit 3.
const TileType kinds[] = {{false, BEIGE, 1, 1}, {false, GREEN, 2, 0}, {true, BLACK, 999, 2}, {true, BLACK, 999, 3}};

testing::AssertionResult IsKind(const TileType& got, int digit)
{
    const TileType& want = kinds[digit];
    if (got.blocked == want.blocked && got.moveCost == want.moveCost && got.kind == want.kind &&
        ColorToInt(got.color) == ColorToInt(want.color)) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "blocked " << got.blocked << ", cost " << got.moveCost << ", kind "
                                       << got.kind << ": not digit " << digit;
}

// The board holds exactly the tiles and pieces of the file, pieces in file order; side 0
// is the human's, side 1 the AI's, any other number no owner's.
void ExpectBoardMatchesFile(const TileMap& board, const MapFile& file)
{
    ASSERT_EQ(board.tiles.size(), file.rows.size());
    for (size_t y = 0; y < file.rows.size(); ++y) {
        ASSERT_EQ(board.tiles[y].size(), file.rows[y].size()) << "row " << y;
        for (size_t x = 0; x < file.rows[y].size(); ++x) {
            EXPECT_TRUE(IsKind(board.tiles[y][x], file.rows[y][x] - '0')) << "tile (" << x << "," << y << ")";
        }
    }
    std::vector<Unit*> units = board.GetUnits();
    ASSERT_EQ(units.size(), file.pieces.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const MapPiece& p = file.pieces[i];
        SCOPED_TRACE("piece " + std::to_string(i));
        EXPECT_EQ(units[i]->type, p.type);
        EXPECT_EQ(units[i]->isCastle, p.type == 3);
        EXPECT_EQ(dynamic_cast<Castle*>(units[i]) != nullptr, p.type == 3);
        EXPECT_TRUE(TilesAre({units[i]->position}, {{100.0f * p.x, 100.0f * p.y}}));
        EXPECT_EQ(units[i]->team, p.side == 0 || p.side == 1 ? board.teams[static_cast<size_t>(p.side)] : nullptr);
        EXPECT_EQ(units[i], board.children[3 + i]) << "pieces follow the sides and the camera";
    }
}
}  // namespace

TEST(GetTile, ReadsTheDigitsKindInsideTheFirstRowsWidthAndTheOutsideTileOffTheBoard)
{
    GameData::Get().mapWidth = 0;
    GameData::Get().mapHeight = 0;
    // Rows "00010", "02010", "00000".
    auto game = StartGame(TestDataPath("board-example.txt"));
    TileMap& board = *game->board;
    EXPECT_EQ(GameData::Get().mapWidth, 5);
    EXPECT_EQ(GameData::Get().mapHeight, 3);
    EXPECT_TRUE(IsKind(board.GetTile({0, 0}), 0));
    EXPECT_TRUE(IsKind(board.GetTile({3, 0}), 1));
    EXPECT_TRUE(IsKind(board.GetTile({1, 1}), 2));
    EXPECT_TRUE(IsKind(board.GetTile({4, 2}), 0)) << "the last column and row are still inside";
    for (Vector2 tile : {Vector2{-1, 0}, {0, -1}, {-1, -1}, {5, 0}, {0, 3}, {5, 3}, {4, 3}, {5, 2}, {-100, 1}}) {
        EXPECT_TRUE(IsKind(board.GetTile(tile), 3)) << TileText(tile) << " is off the board";
    }

    // The board is as wide as its first row: rows "000", "00012", "003" keep the tail of the
    // longer row, which lies off the board.
    game = StartGame(TestDataPath("board-long-row.txt"));
    EXPECT_EQ(GameData::Get().mapWidth, 3);
    EXPECT_EQ(GameData::Get().mapHeight, 3);
    EXPECT_EQ(game->board->tiles.at(1).size(), 5u);
    EXPECT_TRUE(IsKind(game->board->GetTile({3, 1}), 3)) << "column 3 holds '1' in row 1 but is past the first row";
    EXPECT_TRUE(IsKind(game->board->GetTile({2, 2}), 3)) << "digit 3 on the board";
}

TEST(SpawnUnit, AppendsAnInitialisedPieceOnTheTileWithoutCheckingIt)
{
    auto game = StartGame(TestDataPath("board-example.txt"));
    TileMap& board = *game->board;
    Unit* first = board.GetUnitAt({0, 0});
    ASSERT_NE(first, nullptr);
    for (auto [type, tile] :
         {std::pair{2, Vector2{1, 2}}, {3, Vector2{0, 2}}, {1, Vector2{0, 0}}, {0, Vector2{1, 1}}}) {
        size_t before = board.children.size();
        Unit* piece = board.SpawnUnit(type, tile, game->ai);
        ASSERT_EQ(board.children.size(), before + 1);
        EXPECT_EQ(board.children.back(), piece);
        EXPECT_EQ(piece->map, &board) << "Init sets the board";
        EXPECT_EQ(piece->type, type);
        EXPECT_EQ(piece->team, game->ai);
        EXPECT_TRUE(TilesAre({piece->position}, {{100 * tile.x, 100 * tile.y}}));
        EXPECT_TRUE(piece->hasMoved && piece->hasAttacked);
        EXPECT_EQ(dynamic_cast<Castle*>(piece) != nullptr, type == 3);
    }
    // Neither the wall at (1,1) nor the Knight on (0,0) stopped a piece; the earlier child stands first.
    EXPECT_EQ(board.GetUnitAt({0, 0}), first);
    EXPECT_EQ(board.GetUnitAt({1, 1}), board.children.back());
}

// board-sides: Knight, Archer, castle, castle, Mage, Knight of sides 0, 1, 2, -1, 0 (missing field), 7.
TEST(PieceQueries, FollowTheChildOrder)
{
    auto game = StartGame(TestDataPath("board-sides.txt"));
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    ASSERT_EQ(units.size(), 6u);
    EXPECT_EQ(board.GetUnitsOf(game->player), (std::vector<Unit*>{units[0], units[4]}));
    EXPECT_EQ(board.GetUnitsOf(game->ai), (std::vector<Unit*>{units[1]}));
    EXPECT_EQ(board.GetUnitsOf(nullptr), (std::vector<Unit*>{units[2], units[3], units[5]}));
    EXPECT_EQ(board.GetCastles(),
              (std::vector<Castle*>{static_cast<Castle*>(units[2]), static_cast<Castle*>(units[3])}));
    EXPECT_EQ(board.GetUnitAt({5, 3}), units[4]);
    EXPECT_EQ(board.GetUnitAt({4, 3}), nullptr);
    EXPECT_EQ(board.GetUnitAt({-1, 0}), nullptr);

    Unit* late = board.SpawnUnit(3, {6, 0}, game->player);
    EXPECT_EQ(board.GetCastles().back(), late) << "a later castle comes last";
    EXPECT_EQ(board.GetCastles().size(), 3u);
    EXPECT_EQ(board.GetUnitsOf(game->player).back(), late);
}

TEST(GameSetup, ChildrenAreSidesInTheirColoursCameraThenPiecesInFileOrder)
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
    ASSERT_NE(dynamic_cast<CameraNode*>(board.children[2]), nullptr);
    EXPECT_FLOAT_EQ(board.camera->position.x, 0.0f) << "a board other than the tutorial starts at the origin";
    EXPECT_FLOAT_EQ(board.camera->position.y, 0.0f);
    EXPECT_FLOAT_EQ(board.camera->camera.zoom, 1.0f);
    ExpectBoardMatchesFile(board, ReadMapFile(TestDataPath("board-sides.txt")));
    EXPECT_EQ(game->player->color, (std::array<float, 4>{0.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_EQ(game->ai->color, (std::array<float, 4>{1.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(game->player->gold, 0) << "the human owns no castle here";
    EXPECT_EQ(game->player->map, &board);
    EXPECT_EQ(game->ai->map, &board);
}

TEST(GameSetup, TutorialAddsTwelveLabelsAfterThePiecesAndStartsUpAndLeftOfTheBoard)
{
    const MapFile file = ReadMapFile(GameDataPath("TutorialMap.txt"));
    for (int32_t index : {1, 0}) {
        GameData::Get().mapIndex = index;
        auto game = StartGame("", nullptr, true);
        TileMap& board = *game->board;
        EXPECT_EQ(GameData::Get().mapIndex, index) << "the tutorial leaves the map index alone";
        ASSERT_EQ(board.children.size(), 3 + file.pieces.size() + 12);
        ExpectBoardMatchesFile(board, file);
        for (size_t i = 3 + file.pieces.size(); i < board.children.size(); ++i) {
            EXPECT_NE(dynamic_cast<Label*>(board.children[i]), nullptr) << "child " << i << " is not a label";
        }
        EXPECT_FLOAT_EQ(board.camera->position.x, -100.0f);
        EXPECT_FLOAT_EQ(board.camera->position.y, -100.0f);
        // The human moves first and has been paid for its one castle.
        EXPECT_EQ(board.currentTeam, 0);
        EXPECT_EQ(game->player->gold, 100);
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
