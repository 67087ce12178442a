#include "board/GameData.h"
#include "rules/Duel.h"

namespace {
using rows::PrintTo;

AIController* Opponent(const char* name)
{
    auto* ai = new AIController();
    ai->name = name;
    return ai;
}


TEST(TurnCycle, EndTurnClearsTheFlagsOfEveryPieceOfBothSides)
{
    Duel duel(new HeldOpponent());
    for (Unit* unit : duel.units) {
        EXPECT_FALSE(unit->hasMoved || unit->hasAttacked) << PieceText(unit) << " after set-up";
    }
    for (int turn = 0; turn < 2; ++turn) {
        for (Unit* unit : duel.units) {
            unit->hasMoved = true;
            unit->hasAttacked = true;
        }
        int32_t before = duel.board.currentTeam;
        duel.board.EndTurn();
        EXPECT_EQ(duel.board.currentTeam, 1 - before);
        for (Unit* unit : duel.units) {
            EXPECT_FALSE(unit->hasMoved || unit->hasAttacked) << PieceText(unit) << " after turn " << turn;
        }
    }
}

TEST(TurnCycle, HumanMovesFirstAndIncomeIsPaidForOwnedCastlesAtTheOwnersTurnStart)
{
    Duel duel(new HeldOpponent());
    EXPECT_FALSE(duel.board.gameOver);
    EXPECT_EQ(duel.board.currentTeam, 0);
    EXPECT_EQ(duel.board.history.size(), 1u) << "the end of the turn that set-up ended";
    EXPECT_EQ(duel.human.gold, 200) << "two castles at the human's first turn start";
    EXPECT_EQ(duel.ai.gold, 300) << "the AI's head start; it has had no turn yet";
    // Capturing the neutral castle pays nothing at once.
    duel.board.AttackUnit(duel.castleKnight, duel.neutralCastle->GetTile());
    ASSERT_EQ(duel.neutralCastle->team, &duel.human);
    EXPECT_EQ(duel.human.gold, 200);

    duel.board.EndTurn();  // the AI's turn: its one castle
    EXPECT_EQ(duel.ai.gold, 400);
    EXPECT_EQ(duel.human.gold, 200) << "the human is paid at its own turn start only";

    duel.board.EndTurn();  // the human's turn: now three castles
    EXPECT_EQ(duel.human.gold, 500);
    EXPECT_EQ(duel.ai.gold, 400);
}

TEST(TurnCycle, EndTurnButtonPassesToThePassiveOpponentWhichHandsTheTurnStraightBack)
{
    Duel duel;
    size_t before = duel.board.history.size();
    duel.human.Receive(0);
    // The AI's StartTurn ended its turn inside the outer call.
    EXPECT_EQ(duel.board.currentTeam, 0);
    EXPECT_TRUE(duel.human.canAct);
    ASSERT_EQ(duel.board.history.size(), before + 2) << "one snapshot per end of turn";
    EXPECT_EQ(duel.board.history[before].currentTeam, 0) << "the human's end of turn";
    EXPECT_EQ(duel.board.history[before + 1].currentTeam, 1) << "the AI's end of turn";
    EXPECT_EQ(duel.ai.gold, 400);
    EXPECT_EQ(duel.human.gold, 400) << "income for the human's second turn";
}

enum Owner { N, H, A };

struct CastleOwners {
    const char* name;
    Owner owners[4];  // castles in child order
    bool decided;
    const char* result;  // appended for the AI named "a" on map 1
};

class VictoryCheck : public testing::TestWithParam<CastleOwners> {};

TEST_P(VictoryCheck, DecidesByTheCastleWalk)
{
    const CastleOwners& c = GetParam();
    auto game = StartGame(TestDataPath("rules-castle-row.txt"), Opponent("a"));
    TileMap& board = *game->board;
    ASSERT_FALSE(board.gameOver) << "the fixture starts undecided";
    std::vector<Castle*> castles = board.GetCastles();
    ASSERT_EQ(castles.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        castles[i]->team = c.owners[i] == N ? nullptr : c.owners[i] == H ? board.teams[0] : board.teams[1];
    }
    GameData::Get().mapIndex = 0;
    board.CheckVictory();
    EXPECT_EQ(board.gameOver, c.decided);
    EXPECT_EQ(game->root.advanceScene, c.decided);
    EXPECT_EQ(game->root.resultCode, c.result);
}

// Neutral castles before the first owned one are passed over; any other owner after it,
// neutral included, leaves the game open. No owner at all decides it without a winner,
// which scores as "1" like a human win.
INSTANTIATE_TEST_SUITE_P(
    CastleOrders, VictoryCheck,
    testing::Values(CastleOwners{"AllHuman", {H, H, H, H}, true, "a11"},
                    CastleOwners{"AllAi", {A, A, A, A}, true, "a01"},
                    CastleOwners{"NeutralBeforeFirstOwnedArePassedOver", {N, N, H, H}, true, "a11"},
                    CastleOwners{"NeutralBeforeAiCastles", {N, A, A, A}, true, "a01"},
                    CastleOwners{"NeutralAfterFirstOwnedBlocks", {H, N, H, H}, false, ""},
                    CastleOwners{"NeutralLastBlocks", {A, A, A, N}, false, ""},
                    CastleOwners{"MixedOwnersBlock", {H, H, A, H}, false, ""},
                    CastleOwners{"AiThenHumanBlocks", {N, A, H, A}, false, ""},
                    CastleOwners{"AllNeutralHasNoWinner", {N, N, N, N}, true, "a11"}),
    [](const testing::TestParamInfo<CastleOwners>& info) { return std::string(info.param.name); });

TEST(Victory, BoardWithoutCastlesIsDecidedAtSetUpWithoutAWinner)
{
    GameData::Get().mapIndex = 0;
    auto game = StartGame(TestDataPath("rules-no-castles.txt"), Opponent("a"));
    EXPECT_TRUE(game->board->gameOver);
    EXPECT_TRUE(game->root.advanceScene);
    EXPECT_EQ(game->root.resultCode, "a11");
    // The first end of turn stopped before passing the turn.
    EXPECT_EQ(game->board->currentTeam, 1);
    EXPECT_EQ(game->player->gold, 0) << "the human's turn never started";
    EXPECT_EQ(game->board->history.size(), 1u);

    // A neutral castle first, then the AI's only one: the AI has won, on map 2.
    GameData::Get().mapIndex = 1;
    game = StartGame(TestDataPath("rules-ai-castles.txt"), Opponent("b"));
    EXPECT_TRUE(game->board->gameOver);
    EXPECT_EQ(game->root.resultCode, "b02");
}

// The tutorial (even against a named opponent) and the practice game are not scored. One game
// at a time: a board reaches its root through the input manager.
TEST(Victory, UnscoredGamesRecordNothingButTheSceneMovesOn)
{
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which == 0 ? "tutorial forfeited" : which == 1 ? "practice forfeited" : "practice decided");
        auto game = which == 0 ? StartGame("", Opponent("a"), true)
                               : StartGame(TestDataPath(which == 1 ? "rules-duel.txt" : "rules-no-castles.txt"));
        if (which < 2) {
            ASSERT_FALSE(game->board->gameOver);
            game->player->Receive(1);
            EXPECT_TRUE(game->board->forfeited);
        }
        EXPECT_TRUE(game->board->gameOver);
        EXPECT_EQ(game->root.resultCode, "");
        EXPECT_TRUE(game->root.advanceScene);
    }
}

TEST(Forfeit, AgainstTheMinimaxOpponentOnTheSecondMapAppendsA02AndTheBoardStaysDecided)
{
    Duel duel(Opponent("a"));
    duel.game->root.resultCode = "b11";  // an earlier scored game
    GameData::Get().mapIndex = 1;
    for (int time = 0; time < 2; ++time) {
        size_t before = duel.board.history.size();
        duel.knight->hasMoved = true;
        duel.human.Receive(1);
        EXPECT_EQ(duel.game->root.resultCode, "b11a02") << "a result group is appended at most once";
        EXPECT_TRUE(duel.game->root.advanceScene);
        // The end of turn still snapshots and resets, but the turn does not pass.
        EXPECT_EQ(duel.board.history.size(), before + 1);
        EXPECT_FALSE(duel.knight->hasMoved);
        EXPECT_EQ(duel.board.currentTeam, 0);
        EXPECT_EQ(duel.ai.gold, 300) << "the AI's turn never started";
        // Even a position the human would now win changes nothing once decided.
        duel.board.forfeited = false;
        for (Castle* castle : duel.board.GetCastles()) {
            castle->team = &duel.human;
        }
        duel.board.CheckVictory();
    }
}

TEST(Victory, TakingTheLastCastleWinsOnlyAtTheEndOfTheTurn)
{
    // rules-last-castle: human castle (0,0), AI castle (4,2), human Knight (3,2) beside it.
    GameData::Get().mapIndex = 0;
    auto game = StartGame(TestDataPath("rules-last-castle.txt"), Opponent("a"));
    TileMap& board = *game->board;
    Unit* castle = board.GetUnitAt({4, 2});
    ASSERT_NE(castle, nullptr);
    board.AttackUnit(board.GetUnitAt({3, 2}), castle->GetTile());
    EXPECT_EQ(castle->team, game->player);
    EXPECT_FALSE(board.gameOver) << "holding every castle is not yet a win";
    EXPECT_FALSE(game->root.advanceScene);
    EXPECT_EQ(game->root.resultCode, "");

    board.EndTurn();
    EXPECT_TRUE(board.gameOver);
    EXPECT_TRUE(game->root.advanceScene);
    EXPECT_EQ(game->root.resultCode, "a11");
    EXPECT_EQ(board.currentTeam, 0);
    EXPECT_EQ(game->ai->gold, 300) << "no AI turn after the decision";
}

// The opponents' actions are these same calls: more of each is checked with them.
TEST(MoveAction, KeepsTheAttackNextToAnEnemyUnitOrANeutralCastle)
{
    Duel duel;
    duel.board.MoveUnit(duel.knight, {4, 1});  // above the enemy Mage
    duel.board.MoveUnit(duel.castleKnight, {7, 1});
    for (Unit* unit : {duel.knight, duel.castleKnight}) {
        EXPECT_TRUE(unit->hasMoved) << PieceText(unit);
        EXPECT_FALSE(unit->hasAttacked) << PieceText(unit);
    }
}

TEST(AttackAction, KnightKillsAMageInOneHitAndAKnightInTwo)
{
    Duel duel;
    duel.board.AttackUnit(duel.knight, duel.mage->GetTile());
    EXPECT_EQ(duel.mage->parent, nullptr);
    EXPECT_EQ(duel.board.removedUnits, std::vector<Unit*>{duel.mage});
    EXPECT_FALSE(duel.knight->hasMoved) << "an attack does not use up the move flag";
    // The snapshot was taken before the blow.
    const BoardSnapshot& last = duel.board.history.back();
    auto record = std::find_if(last.units.begin(), last.units.end(),
                               [&](const UnitSnapshot& u) { return u.unit == duel.mage; });
    ASSERT_NE(record, last.units.end());
    EXPECT_EQ(record->health, 50);

    Unit* target = duel.board.SpawnUnit(0, {3, 3}, &duel.ai);  // below the human Knight
    duel.board.AttackUnit(duel.knight, target->GetTile());
    EXPECT_EQ(target->health, 50);
    EXPECT_EQ(target->parent, &duel.board);
    duel.board.AttackUnit(duel.knight, target->GetTile());
    EXPECT_EQ(target->parent, nullptr);
    EXPECT_EQ(duel.board.removedUnits.back(), target);
}

TEST(AttackAction, AttackOnACastleOnlyChangesItsOwner)
{
    Duel duel;
    Unit* castle = duel.neutralCastle;
    duel.board.AttackUnit(duel.castleKnight, castle->GetTile());
    EXPECT_EQ(castle->team, &duel.human);
    EXPECT_EQ(castle->health, 0);
    EXPECT_TRUE(TilesAre({castle->position}, {{700, 0}}));
    EXPECT_FALSE(castle->hasMoved || castle->hasAttacked);
    EXPECT_EQ(castle->parent, &duel.board);
    EXPECT_TRUE(duel.board.removedUnits.empty());
}

TEST(AttackAction, AttackOnAnEmptyTileDoesNothingAtAll)
{
    Duel duel;
    BoardState before = CaptureState(duel.board);
    duel.board.AttackUnit(duel.knight, {2, 2});
    ExpectSameState(before, CaptureState(duel.board));
}

TEST(PurchaseAction, PaysMarksTheCastleAndPlacesASpentUnit)
{
    Duel duel;
    duel.human.gold = 1000;
    duel.board.BuyUnit(duel.humanCastle, 1, {1, 0});
    EXPECT_EQ(duel.human.gold, 400) << "an Archer costs 600";
    EXPECT_TRUE(duel.humanCastle->hasAttacked) << "one purchase per castle per turn";
    EXPECT_FALSE(duel.humanCastle->hasMoved);
    EXPECT_EQ(duel.board.history.back().gold[0], 1000) << "the snapshot precedes the payment";
    Unit* bought = duel.board.GetUnits().back();
    EXPECT_EQ(bought->type, 1);
    EXPECT_EQ(bought->team, &duel.human);
    EXPECT_EQ(bought->map, &duel.board);
    EXPECT_TRUE(TilesAre({bought->position}, {{100, 0}}));
    EXPECT_TRUE(bought->hasMoved && bought->hasAttacked);
}

TEST(Vision, CoversTheSightDiamondAndEveryCastle)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
    board.tiles[0][1] = tileTypeTable[3];  // a kind 3 tile is never seen
    Unit* ours = board.SpawnUnit(0, {0, 0}, game->player);
    Unit* far = board.SpawnUnit(3, {10, 10}, game->ai);
    Unit* neutral = board.SpawnUnit(3, {10, 0}, nullptr);
    PlayerController& human = *game->player;
    // x + y <= 5 from the corner, less the kind 3 tile, and the two castles, each once.
    std::vector<Vector2> expected = {{10, 10}, {10, 0}};
    for (int x = 0; x <= 5; ++x) {
        for (int y = 0; x + y <= 5; ++y) {
            if (x != 1 || y != 0) {
                expected.push_back({static_cast<float>(x), static_cast<float>(y)});
            }
        }
    }
    EXPECT_TRUE(SameTileSet(human.visibleTiles, expected));
    EXPECT_TRUE(human.CanSee({10, 10})) << "castles are always seen";
    EXPECT_FALSE(human.CanSee({3, 3})) << "distance 6";
    EXPECT_EQ(board.GetUnitsSeenBy(&human), (std::vector<Unit*>{ours, far, neutral})) << "in child order";
}
}  // namespace
