#include "ai/AiFixtures.h"
#include "board/MapFile.h"

using namespace aitest;

namespace {
// The shipped map with its pieces replaced: the computer side holds every castle but the
// human's first one, the human has nothing else, and one computer Knight stands next to
// that last castle.
std::string LastCastleLeft(const std::string& mapName)
{
    const MapFile map = ReadMapFile(GameDataPath(mapName));
    std::string text, pieces;
    for (const std::string& row : map.rows) {
        text += row + "\n";
    }
    const MapPiece* last = nullptr;
    for (const MapPiece& piece : map.pieces) {
        if (piece.type == 3) {
            last = piece.side == 0 && last == nullptr ? &piece : last;
            pieces += "3," + std::to_string(piece.x) + "," + std::to_string(piece.y) + (last == &piece ? ",0\n" : ",1\n");
        }
    }
    for (Vector2 step : neighbourOffsets) {
        const int x = last->x + static_cast<int>(step.x), y = last->y + static_cast<int>(step.y);
        if (y >= 0 && y < static_cast<int>(map.rows.size()) && x >= 0 && x < static_cast<int>(map.rows[0].size()) &&
            (map.rows[y][x] == '0' || map.rows[y][x] == '1')) {
            pieces += "0," + std::to_string(x) + "," + std::to_string(y) + ",1\n";
            break;
        }
    }
    return text + "\n" + pieces;
}
}  // namespace

// Taking the last castle leaves nothing of another owner in sight. That turn must still score
// best, or the opponent holds a won game forever; the end of its turn then decides the game.
TEST(FinishingTheGame, EachScoredOpponentTakesTheLastCastleOnBothShippedMaps)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (bool hps : {false, true}) {
            SCOPED_TRACE(std::string(map) + (hps ? " hps" : " minimax"));
            auto game = StartGameOnText(LastCastleLeft(map), NewOpponent(hps));
            ASSERT_FALSE(game->board->gameOver);
            const Castle* last = nullptr;
            for (const Castle* castle : game->board->GetCastles()) {
                last = castle->team == game->player ? castle : last;
            }
            ASSERT_NE(last, nullptr);
            const std::string lastTile = TileText(last->GetTile());
            std::vector<std::string> played = PlayAiTurn(*game);
            EXPECT_TRUE(std::any_of(played.begin(), played.end(),
                                    [&](const std::string& a) { return a.ends_with("Attack " + lastTile); }))
                << "no attack on the last castle " << lastTile;
            EXPECT_TRUE(game->board->gameOver) << "the end of the computer's turn decides the game";
            EXPECT_EQ(last->team, game->ai);
        }
    }
}
