#include <fstream>
#include <sstream>

#include "board/GameData.h"
#include "input/CameraNode.h"
#include "support/TestGame.h"

namespace {
// The map file digit of a tile: the row of the tile table it is.
char Digit(const TileType& tile)
{
    auto same = [&](const TileType& row) { return row.kind == tile.kind; };
    return static_cast<char>('0' + (std::find_if(tileTypeTable.begin(), tileTypeTable.end(), same) - tileTypeTable.begin()));
}

// A board in the form of a map file: tile rows, a blank line, then "type,x,y,side" per piece in
// child order, side 0 the human's, 1 the AI's and -1 nobody's.
std::string BoardText(const TileMap& board)
{
    std::string text;
    for (const auto& row : board.tiles) {
        for (const TileType& tile : row) {
            text += Digit(tile);
        }
        text += "\n";
    }
    text += "\n";
    for (const Unit* unit : board.GetUnits()) {
        const auto side = std::find(board.teams.begin(), board.teams.end(), unit->team) - board.teams.begin();
        text += std::to_string(unit->type) + "," + std::to_string(static_cast<int>(unit->position.x / 100)) + "," +
                std::to_string(static_cast<int>(unit->position.y / 100)) + "," +
                std::to_string(unit->team == nullptr ? -1 : side) + "\n";
    }
    return text;
}
}  // namespace

TEST(GameSetup, TilesInsideTheFirstRowsWidthThenTheSidesTheCameraAndThePiecesInFileOrder)
{
    // Rows "00010", "02010", "00000".
    auto game = StartGame("board-example.txt");
    std::string digits;
    for (Vector2 tile : {Vector2{3, 0}, {1, 1}, {4, 2}, {-1, 0}, {0, -1}, {5, 0}, {0, 3}, {4, 3}, {5, 2}}) {
        digits += Digit(game->board->GetTile(tile));
    }
    EXPECT_EQ(digits, "120333333") << "the last column and row are inside; beyond them is void";
    // board-sides: Knight, Archer, castle, castle, Mage, Knight of sides 0, 1, 2, -1, 0 (missing field), 7.
    game = StartGame("board-sides.txt");
    TileMap& board = *game->board;
    EXPECT_EQ(std::vector<Node*>(board.children.begin(), board.children.begin() + 4),
              (std::vector<Node*>{game->player, game->ai, board.camera, board.GetUnits()[0]}));
    EXPECT_EQ(BoardText(board), "0000000\n0000000\n0000000\n0000000\n0000000\n\n"
                                "0,0,0,0\n1,1,0,1\n3,2,0,-1\n3,3,0,-1\n2,5,3,0\n0,6,4,-1\n");
}

// The tutorial's board is its file's (its camera and labels are the end-to-end run's and the restore
// tests' business); the other games draw one of the two maps and note which.
TEST(GameSetup, TheTutorialsBoardAndADrawnMapWithItsIndex)
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
    EXPECT_EQ(BoardText(*StartGame("", nullptr, true)->board), FileText(GameDataPath("TutorialMap.txt")));
    // A replay gives the tutorial the map text of its record, wherever it runs: that text is the board.
    TestGame replayed;
    replayed.root.aiQueue.emplace_back(new AIController());
    replayed.board = new TileMap();
    replayed.board->isTutorial = true;
    replayed.board->mapText = FileText(TestDataPath("board-example.txt"));
    replayed.root.AddChild(replayed.board);
    EXPECT_EQ(BoardText(*replayed.board), replayed.board->mapText) << "the tutorial did not take the record's map";
}
