#include <cstdio>

#include "ai/MinimaxController.h"
#include "arena/ArenaGame.h"
#include "board/MapFile.h"
#include "support/TestGame.h"

namespace {
MatchSetup Game(const std::string& a, const std::string& b, const std::string& map, bool aIsSideZero, int turnCap,
                uint32_t seed = 1)
{
    return {.seed = seed, .pair = {a, b}, .map = map, .aIsSideZero = aIsSideZero, .turnCap = turnCap};
}

TEST(TileMapSideZero, TakesTheSuppliedSideInsteadOfTheHuman)
{
    TestGame game;
    auto* sideZero = new MinimaxController();
    game.root.aiQueue.emplace_back(new AIController());
    auto* board = new TileMap();
    board->mapFile = GameDataPath("Map1.txt");
    board->sideZero = sideZero;
    game.root.AddChild(board);
    ASSERT_EQ(board->teams.size(), 2u);
    EXPECT_EQ(board->teams[0], sideZero);
    EXPECT_EQ(sideZero->map, board);
    EXPECT_EQ(sideZero->gold, 100) << "the first turn's income for its one castle";
    EXPECT_TRUE(sideZero->executingPlan) << "side 0's first turn is planned by Init";
    EXPECT_TRUE(std::none_of(board->children.begin(), board->children.end(),
                             [](Node* child) { return dynamic_cast<PlayerController*>(child) != nullptr; }));
}

TEST(ArenaGame, TwoPassiveSidesDrawAtTheTurnCapWithOneRecordPerTurn)
{
    GameResult result = PlayGame(Game("passive", "passive", GameDataPath("Map1.txt"), true, 10));
    EXPECT_TRUE(result.capped);
    EXPECT_EQ(result.winner, -1);
    EXPECT_EQ(result.turns, 10);
    ASSERT_EQ(result.turnLog.size(), 10u);
    for (size_t i = 0; i < result.turnLog.size(); ++i) {
        EXPECT_EQ(result.turnLog[i].side, static_cast<int>(i % 2)) << "turn " << i + 1 << ": side 0 first";
        EXPECT_EQ(result.turnLog[i].pieces, 3) << "turn " << i + 1 << ": a castle, a Knight and an Archer";
    }
}

// A game the castles decide at set-up ends before any turn, with the victory rule's winner.
TEST(ArenaGame, DecidedAtSetUpEndsBeforeAnyTurn)
{
    const std::pair<const char*, int> maps[] = {
        {"000\n000\n\n3,0,0,1\n3,2,1,1\n0,1,1,0\n", 1},   // both castles side 1's
        {"000\n000\n\n3,0,0,-1\n3,2,1,0\n0,1,1,1\n", 0},  // a neutral castle first is passed over
        {"000\n000\n\n3,0,0,-1\n0,1,1,0\n0,2,1,1\n", -1}, // only a neutral castle: no winner
    };
    for (const auto& [map, winner] : maps) {
        std::string path = WriteTempFile(map);
        GameResult result = PlayGame(Game("minimax", "hps", path, true, 50));
        std::remove(path.c_str());
        EXPECT_EQ(result.winner, winner) << map;
        EXPECT_EQ(result.turns, 0) << map;
        EXPECT_TRUE(result.turnLog.empty()) << map;
    }
}

// Both scored opponents win on the shipped maps against a side that only ends its turn, from
// either seat, well before the cap: a won game must be finished.
TEST(ArenaGame, ScoredOpponentsBeatAPassiveSideOnBothMapsFromBothSeats)
{
    for (const char* opponent : {"minimax", "hps"}) {
        for (const char* map : {"Map1.txt", "Map2.txt"}) {
            for (bool firstSeat : {true, false}) {
                GameResult result = PlayGame(Game(opponent, "passive", GameDataPath(map), firstSeat, 80));
                EXPECT_EQ(result.winner, firstSeat ? 0 : 1)
                    << opponent << " on " << map << (firstSeat ? " as side 0" : " as side 1") << ": "
                    << result.turns << " turns" << (result.capped ? ", capped" : "");
            }
        }
    }
}

TEST(ArenaGame, SameSeedReplaysTheSameGameAndABrokenMapThrowsTheLoadersError)
{
    std::string map = TestDataPath("arena-skirmish.txt");
    GameResult first = PlayGame(Game("random", "random", map, true, 24, 9));
    GameResult again = PlayGame(Game("random", "random", map, true, 24, 9));
    EXPECT_EQ(again.turns, first.turns);
    EXPECT_EQ(again.finalBoard, first.finalBoard);
    GameResult other = PlayGame(Game("random", "random", map, true, 24, 10));
    EXPECT_NE(other.finalBoard + std::to_string(other.turns), first.finalBoard + std::to_string(first.turns));

    std::string path = WriteTempFile("0x0\n\n3,0,0,0\n");
    try {
        PlayGame(Game("passive", "passive", path, true, 5));
        ADD_FAILURE() << "a broken map was played";
    } catch (const MapFileError& error) {
        EXPECT_NE(std::string(error.what()).find(path + ":1:"), std::string::npos) << error.what();
    }
    std::remove(path.c_str());
}
}  // namespace
