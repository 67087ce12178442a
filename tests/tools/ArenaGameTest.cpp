#include "arena/ArenaGame.h"
#include "board/MapFile.h"
#include "support/TestGame.h"

namespace {
GameResult Play(const std::string& a, const std::string& b, const std::string& map, bool aIsSideZero, int turnCap,
                uint32_t seed = 1)
{
    return PlayGame({.seed = seed, .pair = {a, b}, .map = map, .aIsSideZero = aIsSideZero, .turnCap = turnCap});
}

// Two passive sides draw at the cap with one record per turn, side 0 first; a game the castles
// decide at set-up (here: only a neutral castle, so no winner) ends before any turn.
TEST(ArenaGame, DrawsAtTheCapOrBeforeAnyTurnAndReplaysFromItsSeed)
{
    GameResult capped = Play("passive", "passive", GameDataPath("Map1.txt"), true, 10);
    EXPECT_TRUE(capped.capped && capped.winner == -1 && capped.turns == 10);
    std::string log;
    for (const TurnRecord& turn : capped.turnLog) {
        log += std::to_string(turn.side) + ":" + std::to_string(turn.pieces) + " ";
    }
    EXPECT_EQ(log, "0:3 1:3 0:3 1:3 0:3 1:3 0:3 1:3 0:3 1:3 ") << "a castle, a Knight and an Archer each";
    const std::string path = WriteTempFile("000\n000\n\n3,0,0,-1\n0,1,1,0\n0,2,1,1\n");
    GameResult decided = Play("minimax", "hps", path, true, 50);
    std::remove(path.c_str());
    EXPECT_TRUE(decided.winner == -1 && !decided.capped && decided.turns == 0 && decided.turnLog.empty());
    // The same seed replays the same game; a broken map is refused with the loader's error.
    const std::string map = TestDataPath("arena-skirmish.txt");
    auto text = [](const GameResult& r) { return r.finalBoard + " after " + std::to_string(r.turns); };
    const std::string first = text(Play("random", "random", map, true, 24, 9));
    EXPECT_EQ(text(Play("random", "random", map, true, 24, 9)), first);
    EXPECT_NE(text(Play("random", "random", map, true, 24, 10)), first);
    const std::string broken = WriteTempFile("0x0\n\n3,0,0,0\n");
    EXPECT_THROW(Play("passive", "passive", broken, true, 5), MapFileError);
    std::remove(broken.c_str());
}

// Both scored opponents win on the shipped maps against a side that only ends its turn, from
// either seat (side 0 taking the human's place), well before the cap: a won game must be finished.
TEST(ArenaGame, ScoredOpponentsBeatAPassiveSideOnBothMapsFromBothSeats)
{
    for (const char* opponent : {"minimax", "hps"}) {
        for (const char* map : {"Map1.txt", "Map2.txt"}) {
            for (bool firstSeat : {true, false}) {
                GameResult result = Play(opponent, "passive", GameDataPath(map), firstSeat, 80);
                EXPECT_EQ(result.winner, firstSeat ? 0 : 1)
                    << opponent << " on " << map << (firstSeat ? " as side 0" : " as side 1") << ": "
                    << result.turns << " turns" << (result.capped ? ", capped" : "");
            }
        }
    }
}
}  // namespace
