#include "ai/AiFixtures.h"

using namespace aitest;

// The shipped maps with their pieces replaced: the computer side holds every castle but the human's
// first one, the human has nothing else, and one computer Knight stands next to that last castle.
// Taking it leaves nothing of another owner in sight. That turn must still score best, or the
// opponent holds a won game forever; the end of its turn then decides the game.
TEST(FinishingTheGame, EachScoredOpponentTakesTheLastCastleOnBothShippedMaps)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (bool hps : {false, true}) {
            SCOPED_TRACE(std::string(map) + (hps ? " hps" : " minimax"));
            auto game = StartGame(GameDataPath(map), NewOpponent(hps));
            TileMap& board = *game->board;
            const Unit* last = nullptr;
            for (Unit* unit : board.GetUnits()) {
                if (!unit->isCastle) {
                    board.RemoveChild(unit);
                    delete unit;
                } else if (unit->team == game->player && last == nullptr) {
                    last = unit;
                } else {
                    unit->team = game->ai;
                }
            }
            ASSERT_NE(last, nullptr);
            const std::string lastTile = TileText(last->GetTile());
            for (Vector2 step : neighbourOffsets) {
                const Vector2 tile = {last->GetTile().x + step.x, last->GetTile().y + step.y};
                if (!board.GetTile(tile).blocked && board.GetUnitAt(tile) == nullptr) {
                    board.SpawnUnit(0, tile, game->ai);
                    break;
                }
            }
            std::vector<std::string> played = PlayAiTurn(*game);
            EXPECT_TRUE(std::any_of(played.begin(), played.end(),
                                    [&](const std::string& a) { return a.ends_with("Attack " + lastTile); }))
                << "no attack on the last castle " << lastTile;
            EXPECT_TRUE(board.gameOver) << "the end of the computer's turn decides the game";
            EXPECT_EQ(last->team, game->ai);
        }
    }
}
