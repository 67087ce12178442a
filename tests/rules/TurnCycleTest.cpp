#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "board/GameData.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "rules/PlayerController.h"
#include "support/TestGame.h"

namespace {
AIController* Opponent(const char* name)
{
    auto* ai = new AIController();
    ai->name = name;
    return ai;
}

// Collects its income and then keeps the turn, so the test plays the AI side by hand.
class HeldOpponent : public AIController {
public:
    void StartTurn() override { NotifyUnitsOfTurnStart(); }
};

std::string Where(const Unit* unit)
{
    return "piece of type " + std::to_string(unit->type) + " at (" + std::to_string(unit->position.x / 100.0f) + ", " +
           std::to_string(unit->position.y / 100.0f) + ")";
}

bool Contains(const std::vector<Unit*>& units, const Unit* unit)
{
    return std::find(units.begin(), units.end(), unit) != units.end();
}

// rules-duel.txt, in file order: human castles (0,0) and (0,5), AI castle (7,5),
// neutral castle (7,0), human Knight (6,0), AI Mage (4,2), human Knight (3,2), AI Knight (6,5).
struct Duel {
    explicit Duel(AIController* opponent = nullptr) : game(StartGame(TestDataPath("rules-duel.txt"), opponent))
    {
        std::vector<Unit*> units = game->board->GetUnits();
        EXPECT_EQ(units.size(), 8u);
        humanCastle = units.at(0);
        aiCastle = units.at(2);
        neutralCastle = units.at(3);
        castleKnight = units.at(4);
        mage = units.at(5);
        knight = units.at(6);
        aiKnight = units.at(7);
    }
    std::unique_ptr<TestGame> game;
    Unit* humanCastle;
    Unit* aiCastle;
    Unit* neutralCastle;
    Unit* castleKnight;
    Unit* mage;
    Unit* knight;
    Unit* aiKnight;
};
}  // namespace

TEST(TurnCycle, SetUpGivesTheHumanTheFirstTurnAndTheAiItsHeadStart)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    EXPECT_FALSE(board.gameOver);
    EXPECT_EQ(board.currentTeam, 0);
    EXPECT_EQ(duel.game->player->gold, 200) << "two castles at the human's first turn start";
    EXPECT_EQ(duel.game->ai->gold, 300) << "the AI has had no turn yet";
    ASSERT_EQ(board.history.size(), 1u);
    for (Unit* unit : board.GetUnits()) {
        EXPECT_FALSE(unit->hasMoved) << Where(unit);
        EXPECT_FALSE(unit->hasAttacked) << Where(unit);
    }
}

TEST(TurnCycle, EndTurnClearsTheFlagsOfEveryPieceOfBothSides)
{
    Duel duel(new HeldOpponent());
    TileMap& board = *duel.game->board;
    for (int turn = 0; turn < 2; ++turn) {
        for (Unit* unit : board.GetUnits()) {
            unit->hasMoved = true;
            unit->hasAttacked = true;
        }
        int32_t before = board.currentTeam;
        board.EndTurn();
        EXPECT_EQ(board.currentTeam, 1 - before);
        for (Unit* unit : board.GetUnits()) {
            EXPECT_FALSE(unit->hasMoved) << Where(unit) << " after turn " << turn;
            EXPECT_FALSE(unit->hasAttacked) << Where(unit) << " after turn " << turn;
        }
    }
}

TEST(TurnCycle, IncomeIsPaidForOwnedCastlesAtTheOwnersTurnStart)
{
    Duel duel(new HeldOpponent());
    TileMap& board = *duel.game->board;
    PlayerController& human = *duel.game->player;
    AIController& ai = *duel.game->ai;
    // Capturing the neutral castle pays nothing at once.
    board.AttackUnit(duel.castleKnight, duel.neutralCastle->GetTile());
    ASSERT_EQ(duel.neutralCastle->team, &human);
    EXPECT_EQ(human.gold, 200);

    board.EndTurn();  // the AI's turn: its one castle
    EXPECT_EQ(ai.gold, 400);
    EXPECT_EQ(human.gold, 200) << "the human is paid at its own turn start only";

    board.EndTurn();  // the human's turn: now three castles
    EXPECT_EQ(human.gold, 500);
    EXPECT_EQ(ai.gold, 400);
}

TEST(TurnCycle, PassiveOpponentHandsTheTurnStraightBack)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    size_t before = board.history.size();
    board.EndTurn();
    // The AI's StartTurn ended its turn inside the outer call.
    EXPECT_EQ(board.currentTeam, 0);
    ASSERT_EQ(board.history.size(), before + 2) << "one snapshot per end of turn";
    EXPECT_EQ(board.history[before].currentTeam, 0) << "the human's end of turn";
    EXPECT_EQ(board.history[before + 1].currentTeam, 1) << "the AI's end of turn";
    EXPECT_EQ(duel.game->ai->gold, 400);
    EXPECT_EQ(duel.game->player->gold, 400) << "income for the human's second turn";
}

TEST(TurnCycle, EndTurnButtonEndsTheTurnAndTheHumanCanActAgainAtOnce)
{
    Duel duel;
    duel.game->player->Receive(0);
    EXPECT_EQ(duel.game->board->currentTeam, 0);
    EXPECT_TRUE(duel.game->player->canAct) << "the passive AI gave the turn back inside the call";
    EXPECT_EQ(duel.game->player->gold, 400);
}

namespace {
enum Owner { N, H, A };

struct CastleOwners {
    const char* label;
    Owner owners[4];  // castles in child order
    bool decided;
    const char* result;  // appended for the AI named "a" on map 1
};

void PrintTo(const CastleOwners& c, std::ostream* out)
{
    *out << c.label;
}

class VictoryCheck : public testing::TestWithParam<CastleOwners> {};
}  // namespace

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
    [](const testing::TestParamInfo<CastleOwners>& info) { return std::string(info.param.label); });

TEST(Victory, BoardWithoutCastlesIsDecidedAtSetUpWithoutAWinner)
{
    GameData::Get().mapIndex = 0;
    auto game = StartGame(TestDataPath("rules-no-castles.txt"), Opponent("a"));
    TileMap& board = *game->board;
    EXPECT_TRUE(board.gameOver);
    EXPECT_TRUE(game->root.advanceScene);
    EXPECT_EQ(game->root.resultCode, "a11");
    // The first end of turn stopped before passing the turn.
    EXPECT_EQ(board.currentTeam, 1);
    EXPECT_EQ(game->player->gold, 0) << "the human's turn never started";
    EXPECT_EQ(board.history.size(), 1u);
}

TEST(Victory, AiHoldingEveryOwnedCastleAtSetUpWins)
{
    // A neutral castle first, then the AI's only one.
    GameData::Get().mapIndex = 1;
    auto game = StartGame(TestDataPath("rules-ai-castles.txt"), Opponent("b"));
    EXPECT_TRUE(game->board->gameOver);
    EXPECT_EQ(game->root.resultCode, "b02");
}

TEST(Victory, PracticeOpponentRecordsNothingButTheSceneMovesOn)
{
    auto game = StartGame(TestDataPath("rules-no-castles.txt"));
    ASSERT_EQ(game->ai->name, "default");
    EXPECT_TRUE(game->board->gameOver);
    EXPECT_EQ(game->root.resultCode, "");
    EXPECT_TRUE(game->root.advanceScene);
}

TEST(Forfeit, InTheTutorialRecordsNothingAndMovesOn)
{
    // Even against a named opponent the tutorial is not scored.
    auto game = StartGame("", Opponent("a"), true);
    ASSERT_FALSE(game->board->gameOver);
    game->player->Receive(1);
    EXPECT_TRUE(game->board->gameOver);
    EXPECT_TRUE(game->board->forfeited);
    EXPECT_EQ(game->root.resultCode, "");
    EXPECT_TRUE(game->root.advanceScene);
}

TEST(Forfeit, InThePracticeGameRecordsNothingAndMovesOn)
{
    Duel duel;
    duel.game->player->Receive(1);
    EXPECT_TRUE(duel.game->board->gameOver);
    EXPECT_EQ(duel.game->root.resultCode, "");
    EXPECT_TRUE(duel.game->root.advanceScene);
}

TEST(Forfeit, AgainstTheMinimaxOpponentOnTheSecondMapAppendsA02)
{
    Duel duel(Opponent("a"));
    TileMap& board = *duel.game->board;
    duel.game->root.resultCode = "b11";  // an earlier scored game
    GameData::Get().mapIndex = 1;
    size_t before = board.history.size();
    duel.knight->hasMoved = true;
    duel.game->player->Receive(1);
    EXPECT_EQ(duel.game->root.resultCode, "b11a02");
    EXPECT_TRUE(duel.game->root.advanceScene);
    // The end of turn still snapshots and resets, but the turn does not pass.
    EXPECT_EQ(board.history.size(), before + 1);
    EXPECT_FALSE(duel.knight->hasMoved);
    EXPECT_EQ(board.currentTeam, 0);
    EXPECT_EQ(duel.game->ai->gold, 300) << "the AI's turn never started";
}

TEST(Victory, DecidedBoardIsLatched)
{
    Duel duel(Opponent("a"));
    TileMap& board = *duel.game->board;
    GameData::Get().mapIndex = 0;
    duel.game->player->Receive(1);
    ASSERT_EQ(duel.game->root.resultCode, "a01");
    size_t before = board.history.size();

    // Even a position the human would now win changes nothing.
    board.forfeited = false;
    for (Castle* castle : board.GetCastles()) {
        castle->team = board.teams[0];
    }
    duel.mage->hasAttacked = true;
    board.EndTurn();
    board.CheckVictory();
    EXPECT_EQ(duel.game->root.resultCode, "a01") << "a result group is appended at most once";
    EXPECT_EQ(board.currentTeam, 0);
    EXPECT_EQ(board.history.size(), before + 1) << "EndTurn still takes its snapshot";
    EXPECT_FALSE(duel.mage->hasAttacked) << "and still resets the flags";
}

TEST(Victory, TakingTheLastCastleWinsOnlyAtTheEndOfTheTurn)
{
    // rules-last-castle: human castle (0,0), AI castle (4,2), human Knight (3,2) beside it.
    GameData::Get().mapIndex = 0;
    auto game = StartGame(TestDataPath("rules-last-castle.txt"), Opponent("a"));
    TileMap& board = *game->board;
    Unit* knight = board.GetUnitAt({3, 2});
    Unit* castle = board.GetUnitAt({4, 2});
    ASSERT_NE(knight, nullptr);
    ASSERT_NE(castle, nullptr);
    ASSERT_EQ(knight->GetAttackTargets(knight->GetTile()).size(), 1u);

    board.AttackUnit(knight, castle->GetTile());
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

TEST(MoveAction, MoveWithNothingInReachFinishesTheUnit)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    size_t before = board.history.size();
    // From (2,2) the Mage at (4,2) is two tiles away, beyond a Knight's reach.
    board.MoveUnit(duel.knight, {2, 2});
    EXPECT_FLOAT_EQ(duel.knight->position.x, 200.0f);
    EXPECT_FLOAT_EQ(duel.knight->position.y, 200.0f);
    EXPECT_TRUE(duel.knight->hasMoved);
    EXPECT_TRUE(duel.knight->hasAttacked);
    EXPECT_EQ(board.history.size(), before + 1);
}

TEST(MoveAction, MoveNextToAnEnemyKeepsTheAttack)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    board.MoveUnit(duel.knight, {4, 1});  // above the Mage
    EXPECT_TRUE(duel.knight->hasMoved);
    EXPECT_FALSE(duel.knight->hasAttacked);
    // A neutral castle next to the new tile counts as something in reach too.
    board.MoveUnit(duel.castleKnight, {7, 1});
    EXPECT_TRUE(duel.castleKnight->hasMoved);
    EXPECT_FALSE(duel.castleKnight->hasAttacked);
}

TEST(AttackAction, KnightKillsAMageInOneHit)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    size_t before = board.history.size();
    board.AttackUnit(duel.knight, duel.mage->GetTile());
    EXPECT_LE(duel.mage->health, 0);
    EXPECT_EQ(duel.mage->parent, nullptr);
    EXPECT_FALSE(Contains(board.GetUnits(), duel.mage));
    EXPECT_EQ(std::count(board.removedUnits.begin(), board.removedUnits.end(), duel.mage), 1);
    EXPECT_EQ(board.GetUnitAt({4, 2}), nullptr);
    EXPECT_TRUE(duel.knight->hasAttacked);
    EXPECT_FALSE(duel.knight->hasMoved) << "an attack does not use up the move flag";
    EXPECT_EQ(board.history.size(), before + 1);
    // The snapshot was taken before the blow.
    const BoardSnapshot& last = board.history.back();
    auto record = std::find_if(last.units.begin(), last.units.end(),
                               [&](const UnitSnapshot& u) { return u.unit == duel.mage; });
    ASSERT_NE(record, last.units.end());
    EXPECT_EQ(record->health, 50);
}

TEST(AttackAction, KnightTakesTwoBlowsOfFifty)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    Unit* target = board.SpawnUnit(0, {3, 3}, duel.game->ai);  // below the human Knight
    board.AttackUnit(duel.knight, target->GetTile());
    EXPECT_EQ(target->health, 50);
    EXPECT_EQ(target->parent, &board);
    board.AttackUnit(duel.knight, target->GetTile());
    EXPECT_EQ(target->parent, nullptr);
    EXPECT_TRUE(Contains(board.removedUnits, target));
}

TEST(AttackAction, AttackOnACastleOnlyChangesItsOwner)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    Unit* castle = duel.neutralCastle;
    board.AttackUnit(duel.castleKnight, castle->GetTile());
    EXPECT_EQ(castle->team, duel.game->player);
    EXPECT_EQ(castle->health, 0);
    EXPECT_FLOAT_EQ(castle->position.x, 700.0f);
    EXPECT_FLOAT_EQ(castle->position.y, 0.0f);
    EXPECT_FALSE(castle->hasMoved);
    EXPECT_FALSE(castle->hasAttacked);
    EXPECT_EQ(castle->parent, &board);
    EXPECT_TRUE(board.removedUnits.empty());
    EXPECT_TRUE(duel.castleKnight->hasAttacked);

    // An enemy castle goes the same way.
    Unit* raider = board.SpawnUnit(0, {7, 4}, duel.game->player);
    board.AttackUnit(raider, duel.aiCastle->GetTile());
    EXPECT_EQ(duel.aiCastle->team, duel.game->player);
}

TEST(AttackAction, AttackOnAnEmptyTileDoesNothingAtAll)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    size_t before = board.history.size();
    std::vector<Unit*> units = board.GetUnits();
    board.AttackUnit(duel.knight, {2, 2});
    EXPECT_EQ(board.history.size(), before) << "no snapshot";
    EXPECT_FALSE(duel.knight->hasAttacked);
    EXPECT_FALSE(duel.knight->hasMoved);
    EXPECT_EQ(board.GetUnits(), units);
    for (Unit* unit : units) {
        EXPECT_EQ(unit->health, unit->maxHealth) << Where(unit);
    }
}

TEST(PurchaseAction, PaysMarksTheCastleAndPlacesASpentUnit)
{
    Duel duel;
    TileMap& board = *duel.game->board;
    PlayerController& human = *duel.game->player;
    human.gold = 1000;
    size_t before = board.history.size();
    size_t children = board.children.size();
    board.BuyUnit(duel.humanCastle, 1, {1, 0});
    EXPECT_EQ(human.gold, 400) << "an Archer costs 600";
    EXPECT_TRUE(duel.humanCastle->hasAttacked) << "one purchase per castle per turn";
    EXPECT_FALSE(duel.humanCastle->hasMoved);
    EXPECT_EQ(board.history.size(), before + 1);
    EXPECT_EQ(board.history.back().gold[0], 1000) << "the snapshot precedes the payment";
    ASSERT_EQ(board.children.size(), children + 1);
    auto* bought = dynamic_cast<Unit*>(board.children.back());
    ASSERT_NE(bought, nullptr);
    EXPECT_EQ(bought->type, 1);
    EXPECT_EQ(bought->team, &human);
    EXPECT_EQ(bought->map, &board);
    EXPECT_FLOAT_EQ(bought->position.x, 100.0f);
    EXPECT_FLOAT_EQ(bought->position.y, 0.0f);
    EXPECT_TRUE(bought->hasMoved);
    EXPECT_TRUE(bought->hasAttacked);

    // The AI pays from its own purse.
    duel.game->ai->gold = 700;
    board.BuyUnit(duel.aiCastle, 2, {7, 4});
    EXPECT_EQ(duel.game->ai->gold, 0) << "a Mage costs 700";
    EXPECT_EQ(human.gold, 400);
    EXPECT_EQ(dynamic_cast<Unit*>(board.children.back())->team, duel.game->ai);

    // Ready to act after the next end of turn, the castle ready to buy again.
    board.EndTurn();
    EXPECT_FALSE(bought->hasMoved);
    EXPECT_FALSE(bought->hasAttacked);
    EXPECT_FALSE(duel.humanCastle->hasAttacked);
}

TEST(Vision, CoversTheSightDiamondAndEveryCastle)
{
    auto game = StartGame(TestDataPath("board-open-11.txt"));
    TileMap& board = *game->board;
    board.tiles[0][1] = tileTypeTable[3];  // a kind 3 tile is never seen
    board.SpawnUnit(0, {0, 0}, game->player);
    Unit* far = board.SpawnUnit(3, {10, 10}, game->ai);
    board.SpawnUnit(3, {10, 0}, nullptr);
    PlayerController& human = *game->player;
    // x + y <= 5 from the corner: 21 tiles, less the kind 3 one, plus the two castles.
    EXPECT_EQ(human.visibleTiles.size(), 20u + 2u);
    for (size_t i = 0; i < human.visibleTiles.size(); ++i) {
        for (size_t j = i + 1; j < human.visibleTiles.size(); ++j) {
            EXPECT_FALSE(SameTile(human.visibleTiles[i], human.visibleTiles[j])) << "listed twice";
        }
    }
    EXPECT_TRUE(human.CanSee({5, 0}));
    EXPECT_TRUE(human.CanSee({2, 3}));
    EXPECT_FALSE(human.CanSee({3, 3})) << "distance 6";
    EXPECT_FALSE(human.CanSee({1, 0})) << "kind 3";
    EXPECT_TRUE(human.CanSee({10, 10})) << "castles are always seen";
    EXPECT_TRUE(human.CanSee({10, 0}));
    EXPECT_FALSE(human.CanSee({9, 10}));
    std::vector<Unit*> seen = board.GetUnitsSeenBy(&human);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_TRUE(Contains(seen, far));
}
