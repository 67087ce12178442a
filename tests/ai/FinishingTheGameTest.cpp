#include <fstream>
#include <sstream>

#include "ai/AiFixtures.h"

using namespace aitest;

namespace {
// The shipped map with its pieces replaced: the computer side holds every castle but the
// human's first one, the human has nothing else, and one computer Knight stands next to
// that last castle.
std::string LastCastleLeft(const std::string& mapName)
{
    std::ifstream file(GameDataPath(mapName));
    std::vector<std::string> rows;
    std::string line, pieces;
    while (std::getline(file, line) && !line.empty()) {
        rows.push_back(line);
    }
    int lastX = -1, lastY = -1;
    for (int type = 0, x = 0, y = 0, side = 0; std::getline(file, line);) {
        if (std::sscanf(line.c_str(), "%d,%d,%d,%d", &type, &x, &y, &side) == 4 && type == 3) {
            const bool last = side == 0 && lastX < 0;
            std::tie(lastX, lastY) = last ? std::pair(x, y) : std::pair(lastX, lastY);
            pieces += "3," + std::to_string(x) + "," + std::to_string(y) + (last ? ",0\n" : ",1\n");
        }
    }
    for (Vector2 step : neighbourOffsets) {
        const int x = lastX + static_cast<int>(step.x), y = lastY + static_cast<int>(step.y);
        if (y >= 0 && y < static_cast<int>(rows.size()) && x >= 0 && x < static_cast<int>(rows[y].size()) &&
            (rows[y][x] == '0' || rows[y][x] == '1')) {
            pieces += "0," + std::to_string(x) + "," + std::to_string(y) + ",1\n";
            break;
        }
    }
    std::string text;
    for (const std::string& row : rows) {
        text += row + "\n";
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
