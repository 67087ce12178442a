#include <cstdio>

#include "ai/MinimaxController.h"
#include "arena/ArenaGame.h"
#include "board/MapFile.h"
#include "support/TestGame.h"

namespace {
using rows::PrintTo;

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
    EXPECT_EQ(sideZero->parent, board) << "the board's tree owns the supplied side";
    EXPECT_EQ(sideZero->map, board);
    // Map1 gives side 0 one castle: the first turn's income, on top of the human's 0 gold.
    EXPECT_EQ(sideZero->gold, 100);
    EXPECT_EQ(board->currentTeam, 0);
    EXPECT_TRUE(sideZero->IsThinking()) << "side 0's first turn is started by Init";
    EXPECT_TRUE(std::none_of(board->children.begin(), board->children.end(),
                             [](Node* child) { return dynamic_cast<PlayerController*>(child) != nullptr; }))
        << "no human side is created";
}

TEST(ArenaGame, TwoPassiveSidesDrawAtTheTurnCap)
{
    GameResult result = PlayGame(Game("passive", "passive", GameDataPath("Map1.txt"), true, 10));
    EXPECT_TRUE(result.capped);
    EXPECT_EQ(result.winner, -1);
    EXPECT_EQ(result.turns, 10);
    // One record per turn played, none for the eleventh that the cap stops.
    ASSERT_EQ(result.turnLog.size(), 10u);
    for (size_t i = 0; i < result.turnLog.size(); ++i) {
        const TurnRecord& turn = result.turnLog[i];
        EXPECT_EQ(turn.side, static_cast<int>(i % 2)) << "turn " << i + 1 << ": the sides alternate, side 0 first";
        EXPECT_EQ(turn.kind, "passive");
        // Map1 gives each side a castle, a knight and an archer, and nobody acts.
        EXPECT_EQ(turn.pieces, 3) << "turn " << i + 1;
        EXPECT_EQ(turn.units, 2) << "turn " << i + 1;
    }
}

struct DecidedCase {
    const char* name;
    const char* map;
    int winner;
};

class ArenaGameDecidedAtSetUp : public testing::TestWithParam<DecidedCase> {};

const DecidedCase decidedCases[] = {
    // Both castles are side 1's: the first end of turn, inside Init, decides it.
    {"AllCastlesOfSideOne", "000\n000\n\n3,0,0,1\n3,2,1,1\n0,1,1,0\n", 1},
    // A neutral castle before the first owned one is passed over by the victory rule.
    {"NeutralFirstThenSideZero", "000\n000\n\n3,0,0,-1\n3,2,1,0\n0,1,1,1\n", 0},
    // Only neutral castles: the game is over with no winner.
    {"OnlyNeutralCastles", "000\n000\n\n3,0,0,-1\n0,1,1,0\n0,2,1,1\n", -1},
};

TEST_P(ArenaGameDecidedAtSetUp, EndsBeforeAnyTurnWithTheCastlesOwner)
{
    const DecidedCase& c = GetParam();
    std::string path = WriteTempFile(c.map);
    GameResult result = PlayGame(Game("minimax", "hps", path, true, 50));
    std::remove(path.c_str());
    EXPECT_EQ(result.winner, c.winner);
    EXPECT_EQ(result.turns, 0);
    EXPECT_FALSE(result.capped);
    EXPECT_TRUE(result.turnLog.empty()) << "nobody plans in a game that is already over";
}

INSTANTIATE_TEST_SUITE_P(Maps, ArenaGameDecidedAtSetUp, testing::ValuesIn(decidedCases),
                         [](const testing::TestParamInfo<DecidedCase>& info) { return info.param.name; });

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

TEST(ArenaGame, SameSeedReplaysTheSameGame)
{
    std::string map = TestDataPath("arena-skirmish.txt");
    GameResult first = PlayGame(Game("random", "random", map, true, 24, 9));
    GameResult again = PlayGame(Game("random", "random", map, true, 24, 9));
    EXPECT_EQ(again.winner, first.winner);
    EXPECT_EQ(again.turns, first.turns);
    EXPECT_EQ(again.finalBoard, first.finalBoard);

    // Two random sides over two dozen turns: another seed ends elsewhere.
    GameResult other = PlayGame(Game("random", "random", map, true, 24, 10));
    EXPECT_NE(other.finalBoard + std::to_string(other.turns), first.finalBoard + std::to_string(first.turns));
}

TEST(ArenaGame, BrokenMapThrowsTheLoadersError)
{
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
