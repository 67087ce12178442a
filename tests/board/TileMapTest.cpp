#include "board/GameData.h"
#include "board/MapFile.h"
#include "input/CameraNode.h"
#include "input/Label.h"
#include "support/BoardChecks.h"

namespace {
// The tile of a digit: walls and void block and cost 999, rough ground costs 2, open ground 1.
// (Kinds 0 and 1 are swapped against the digits.)
testing::AssertionResult IsDigit(const TileType& got, int digit)
{
    const int costs[] = {1, 2, 999, 999};
    const int kinds[] = {1, 0, 2, 3};
    if (got.kind == kinds[digit] && got.moveCost == costs[digit] && got.blocked == (digit >= 2)) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "kind " << got.kind << ", cost " << got.moveCost << ": not digit " << digit;
}

// The board holds exactly the tiles and pieces of the file, pieces in file order after the two
// sides and the camera; side 0 is the human's, side 1 the AI's, any other number no owner's.
void ExpectBoardMatchesFile(const TileMap& board, const MapFile& file)
{
    ASSERT_EQ(board.tiles.size(), file.rows.size());
    for (size_t y = 0; y < file.rows.size(); ++y) {
        for (size_t x = 0; x < file.rows[y].size(); ++x) {
            EXPECT_TRUE(IsDigit(board.tiles[y].at(x), file.rows[y][x] - '0')) << "tile (" << x << "," << y << ")";
        }
    }
    ASSERT_EQ(board.GetUnits().size(), file.pieces.size());
    for (size_t i = 0; i < file.pieces.size(); ++i) {
        const MapPiece& p = file.pieces[i];
        const Unit* unit = board.GetUnits()[i];
        EXPECT_EQ(unit, board.children[3 + i]) << "piece " << i;
        EXPECT_EQ(unit->type, p.type) << "piece " << i;
        EXPECT_EQ(dynamic_cast<const Castle*>(unit) != nullptr, p.type == 3) << "piece " << i;
        EXPECT_TRUE(TilesAre({unit->position}, {{100.0f * p.x, 100.0f * p.y}})) << "piece " << i;
        EXPECT_EQ(unit->team, p.side == 0 || p.side == 1 ? board.teams[static_cast<size_t>(p.side)] : nullptr) << i;
    }
}
}  // namespace

TEST(GetTile, ReadsTheDigitInsideTheFirstRowsWidthAndTheVoidOffTheBoard)
{
    // Rows "00010", "02010", "00000".
    auto game = StartGame(TestDataPath("board-example.txt"));
    EXPECT_EQ(GameData::Get().mapWidth, 5);
    EXPECT_EQ(GameData::Get().mapHeight, 3);
    EXPECT_TRUE(IsDigit(game->board->GetTile({3, 0}), 1));
    EXPECT_TRUE(IsDigit(game->board->GetTile({1, 1}), 2));
    EXPECT_TRUE(IsDigit(game->board->GetTile({4, 2}), 0)) << "the last column and row are still inside";
    for (Vector2 tile : {Vector2{-1, 0}, {0, -1}, {5, 0}, {0, 3}, {4, 3}, {5, 2}}) {
        EXPECT_TRUE(IsDigit(game->board->GetTile(tile), 3)) << TileText(tile) << " is off the board";
    }
    // Rows "000", "00012", "003": the board is as wide as its first row; the longer row's tail is off it.
    game = StartGame(TestDataPath("board-long-row.txt"));
    EXPECT_EQ(GameData::Get().mapWidth, 3);
    EXPECT_TRUE(IsDigit(game->board->GetTile({3, 1}), 3)) << "column 3 holds '1' in row 1 but is past the first row";
}

// board-sides: Knight, Archer, castle, castle, Mage, Knight of sides 0, 1, 2, -1, 0 (missing field), 7.
TEST(GameSetup, ChildrenAreTheSidesTheCameraThenThePiecesInFileOrder)
{
    auto game = StartGame(TestDataPath("board-sides.txt"));
    TileMap& board = *game->board;
    EXPECT_EQ(board.children[0], game->player);
    EXPECT_EQ(board.children[1], game->ai);
    EXPECT_EQ(board.children[2], board.camera);
    ExpectBoardMatchesFile(board, ReadMapFile(TestDataPath("board-sides.txt")));
    std::vector<Unit*> units = board.GetUnits();
    EXPECT_EQ(board.GetUnitsOf(game->player), (std::vector<Unit*>{units[0], units[4]}));
    EXPECT_EQ(board.GetUnitsOf(nullptr), (std::vector<Unit*>{units[2], units[3], units[5]}));
    EXPECT_EQ(board.GetUnitAt({5, 3}), units[4]);
    // A piece spawned later, even on a taken tile, comes last; the earlier child is found first.
    Unit* late = board.SpawnUnit(3, {0, 0}, game->player);
    EXPECT_EQ(board.GetCastles().back(), late);
    EXPECT_TRUE(late->hasMoved && late->hasAttacked) << "a new piece waits for the next turn";
    EXPECT_EQ(board.GetUnitAt({0, 0}), units[0]);
}

TEST(GameSetup, TutorialAddsTwelveLabelsAfterThePiecesAndStartsUpAndLeftOfTheBoard)
{
    const MapFile file = ReadMapFile(GameDataPath("TutorialMap.txt"));
    GameData::Get().mapIndex = 1;
    auto game = StartGame("", nullptr, true);
    TileMap& board = *game->board;
    EXPECT_EQ(GameData::Get().mapIndex, 1) << "the tutorial leaves the map index alone";
    ASSERT_EQ(board.children.size(), 3 + file.pieces.size() + 12);
    ExpectBoardMatchesFile(board, file);
    EXPECT_NE(dynamic_cast<Label*>(board.children.back()), nullptr);
    EXPECT_FLOAT_EQ(board.camera->position.x, -100.0f);
    EXPECT_FLOAT_EQ(board.camera->position.y, -100.0f);
    EXPECT_EQ(game->player->gold, 100) << "paid for its one castle";
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
    EXPECT_TRUE(seen[0] && seen[1]) << "sixteen draws under different seeds give both maps";
}
