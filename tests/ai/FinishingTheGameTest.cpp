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
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(file, line) && !line.empty()) {
        rows.push_back(line);
    }
    std::ostringstream text;
    for (const std::string& row : rows) {
        text << row << "\n";
    }
    text << "\n";
    bool humanCastleKept = false;
    int lastX = -1;
    int lastY = -1;
    while (std::getline(file, line)) {
        int type = 0, x = 0, y = 0, side = 0;
        if (std::sscanf(line.c_str(), "%d,%d,%d,%d", &type, &x, &y, &side) != 4 || type != 3) {
            continue;
        }
        if (side == 0 && !humanCastleKept) {
            humanCastleKept = true;
            lastX = x;
            lastY = y;
            text << "3," << x << "," << y << ",0\n";
        } else {
            text << "3," << x << "," << y << ",1\n";
        }
    }
    const int offsets[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (const auto& step : offsets) {
        int x = lastX + step[0];
        int y = lastY + step[1];
        if (y >= 0 && y < static_cast<int>(rows.size()) && x >= 0 && x < static_cast<int>(rows[y].size()) &&
            (rows[y][x] == '0' || rows[y][x] == '1')) {
            text << "0," << x << "," << y << ",1\n";
            break;
        }
    }
    return text.str();
}
}  // namespace

// Taking the last castle leaves nothing of another owner in sight. That turn must still score
// best, or the opponent holds a won game forever; the end of its turn then decides the game.
TEST(FinishingTheGame, EachScoredOpponentTakesTheLastCastleOnBothShippedMaps)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (bool twoCandidate : {false, true}) {
            SCOPED_TRACE(std::string(map) + (twoCandidate ? " hps" : " minimax"));
            std::string path = WriteTempFile(LastCastleLeft(map));
            AIController* opponent = twoCandidate ? static_cast<AIController*>(new HPSController())
                                                  : static_cast<AIController*>(new MinimaxController());
            auto game = StartGame(path, opponent);
            std::remove(path.c_str());
            ASSERT_FALSE(game->board->gameOver);
            const Castle* last = nullptr;
            for (const Castle* castle : game->board->GetCastles()) {
                if (castle->team == game->player) {
                    last = castle;
                }
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
