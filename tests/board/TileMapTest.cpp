#include "board/GameData.h"
#include "board/MapFile.h"
#include "input/CameraNode.h"
#include "input/Label.h"
#include "support/BoardChecks.h"

namespace {
// The digit of a tile: walls and void block and cost 999, rough ground costs 2, open ground 1
// (kinds 0 and 1 are swapped against the digits); '?' for anything else.
char Digit(const TileType& tile)
{
    const int costs[] = {1, 2, 999, 999};
    const int kinds[] = {1, 0, 2, 3};
    for (int d = 0; d < 4; ++d) {
        if (tile.kind == kinds[d] && tile.moveCost == costs[d] && tile.blocked == (d >= 2)) {
            return static_cast<char>('0' + d);
        }
    }
    return '?';
}

// A board in the form of its map file: tile rows, then "type,x,y,side" per piece in child order, a
// castle marked "C", side 0 the human's, 1 the AI's and -1 no owner's. From the file, any side but 0
// and 1 reads as -1.
std::string BoardText(const TileMap& board)
{
    std::string text;
    for (const auto& row : board.tiles) {
        for (const TileType& tile : row) {
            text += Digit(tile);
        }
        text += "\n";
    }
    for (const Unit* unit : board.GetUnits()) {
        const int side = unit->team == board.teams[0] ? 0 : unit->team == board.teams[1] ? 1 : unit->team ? 9 : -1;
        text += std::to_string(unit->type) + (dynamic_cast<const Castle*>(unit) ? "C," : ",") +
                std::to_string(static_cast<int>(unit->position.x / 100)) + "," +
                std::to_string(static_cast<int>(unit->position.y / 100)) + "," + std::to_string(side) + "\n";
    }
    return text;
}

std::string FileText(const std::string& path)
{
    const MapFile file = ReadMapFile(path);
    std::string text;
    for (const std::string& row : file.rows) {
        text += row + "\n";
    }
    for (const MapPiece& p : file.pieces) {
        text += std::to_string(p.type) + (p.type == 3 ? "C," : ",") + std::to_string(p.x) + "," + std::to_string(p.y) +
                "," + std::to_string(p.side == 0 || p.side == 1 ? p.side : -1) + "\n";
    }
    return text;
}
}  // namespace

TEST(GetTile, ReadsTheDigitInsideTheFirstRowsWidthAndTheVoidOffTheBoard)
{
    // Rows "00010", "02010", "00000".
    auto game = StartGame(TestDataPath("board-example.txt"));
    EXPECT_EQ(std::pair(GameData::Get().mapWidth, GameData::Get().mapHeight), std::pair(5, 3));
    std::string digits;
    for (Vector2 tile : {Vector2{3, 0}, {1, 1}, {4, 2}, {-1, 0}, {0, -1}, {5, 0}, {0, 3}, {4, 3}, {5, 2}}) {
        digits += Digit(game->board->GetTile(tile));
    }
    EXPECT_EQ(digits, "120333333") << "the last column and row are inside; beyond them is void";
    // Rows "000", "00012", "003": the board is as wide as its first row; the longer row's tail is off it.
    game = StartGame(TestDataPath("board-long-row.txt"));
    EXPECT_EQ(GameData::Get().mapWidth, 3);
    EXPECT_EQ(Digit(game->board->GetTile({3, 1})), '3') << "column 3 holds '1' in row 1 but is past the first row";
}

// board-sides: Knight, Archer, castle, castle, Mage, Knight of sides 0, 1, 2, -1, 0 (missing field), 7.
TEST(GameSetup, ChildrenAreTheSidesTheCameraThenThePiecesInFileOrder)
{
    auto game = StartGame(TestDataPath("board-sides.txt"));
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    EXPECT_EQ(board.children[0], game->player);
    EXPECT_EQ(board.children[1], game->ai);
    EXPECT_EQ(board.children[2], board.camera);
    EXPECT_EQ(board.children[3], units[0]);
    EXPECT_EQ(BoardText(board), FileText(TestDataPath("board-sides.txt")));
    EXPECT_EQ(board.GetUnitsOf(game->player), (std::vector<Unit*>{units[0], units[4]}));
    EXPECT_EQ(board.GetUnitsOf(nullptr), (std::vector<Unit*>{units[2], units[3], units[5]}));
    // A piece spawned later, even on a taken tile, comes last; the earlier child is found first.
    Unit* late = board.SpawnUnit(3, {0, 0}, game->player);
    EXPECT_EQ(board.GetCastles().back(), late);
    EXPECT_TRUE(late->hasMoved && late->hasAttacked) << "a new piece waits for the next turn";
    EXPECT_EQ(board.GetUnitAt({0, 0}), units[0]);
}

TEST(GameSetup, TutorialAddsTwelveLabelsAfterThePiecesAndStartsUpAndLeftOfTheBoard)
{
    GameData::Get().mapIndex = 1;
    auto game = StartGame("", nullptr, true);
    TileMap& board = *game->board;
    EXPECT_EQ(GameData::Get().mapIndex, 1) << "the tutorial leaves the map index alone";
    EXPECT_EQ(BoardText(board), FileText(GameDataPath("TutorialMap.txt")));
    ASSERT_EQ(board.children.size(), 3 + board.GetUnits().size() + 12);
    for (size_t i = board.children.size() - 12; i < board.children.size(); ++i) {
        EXPECT_NE(dynamic_cast<Label*>(board.children[i]), nullptr) << "child " << i;
    }
    EXPECT_FLOAT_EQ(board.camera->position.x, -100.0f);
    EXPECT_FLOAT_EQ(board.camera->position.y, -100.0f);
    EXPECT_EQ(game->player->gold, 100) << "paid for its one castle";
}

TEST(GameSetup, DrawnMapIndexNamesTheMapThatWasLoaded)
{
    const std::string files[2] = {FileText(GameDataPath("Map1.txt")), FileText(GameDataPath("Map2.txt"))};
    bool seen[2] = {false, false};
    for (unsigned seed = 1; seed <= 16; ++seed) {
        GameData::Get().mapIndex = -1;
        srand(seed);
        auto game = StartGame("");
        const int32_t index = GameData::Get().mapIndex;
        ASSERT_TRUE(index == 0 || index == 1) << "mapIndex " << index;
        seen[index] = true;
        EXPECT_EQ(BoardText(*game->board), files[index]) << "seed " << seed;
    }
    EXPECT_TRUE(seen[0] && seen[1]) << "sixteen draws under different seeds give both maps";
}
