#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/AiFixtures.h"
#include "ai/MinimaxController.h"
#include "rules/PlayerController.h"

using aitest::ActionText;
using aitest::ActionTexts;
using aitest::PieceAt;
using aitest::PieceText;
using aitest::StartFixture;
using aitest::Tile;

// ai-actions: 7x3 open board.
//   row 0: human castle (0,0), AI Knight (1,0), AI Archer (4,0)
//   row 1: human Knight (1,1), AI Mage (2,1), AI Knight (3,1), human castle (6,1)
//   row 2: AI castle (0,2), AI castle (6,2) (right under the human castle)
namespace {
AIAction Pass(Unit* unit)
{
    return {AIActionKind::Pass, unit, {0.0f, 0.0f}, 0};
}

AIAction Move(Unit* unit, int x, int y)
{
    return {AIActionKind::Move, unit, Tile(x, y), 0};
}

AIAction Attack(Unit* unit, int x, int y)
{
    return {AIActionKind::Attack, unit, Tile(x, y), 0};
}

AIAction Buy(Unit* castle, int32_t type, int x, int y)
{
    return {AIActionKind::Buy, castle, Tile(x, y), type};
}

void ExpectFlags(const Unit* unit, bool moved, bool attacked)
{
    EXPECT_EQ(unit->hasMoved, moved) << PieceText(unit) << " hasMoved";
    EXPECT_EQ(unit->hasAttacked, attacked) << PieceText(unit) << " hasAttacked";
}
}  // namespace

TEST(ApplyAction, PassWithNothingInReachFinishesTheUnit)
{
    auto game = StartFixture("ai-actions.txt");
    Unit* knight = PieceAt(*game->board, 3, 1);
    ExpectFlags(knight, false, false);
    game->ai->ApplyAction(Pass(knight));
    ExpectFlags(knight, true, true);
    EXPECT_EQ(PieceAt(*game->board, 3, 1), knight) << "a pass does not move";
}

TEST(ApplyAction, PassWithATargetKeepsTheAttackStep)
{
    auto game = StartFixture("ai-actions.txt");
    // The human Knight is 4 from the Archer, within its range of 5.
    Unit* archer = PieceAt(*game->board, 4, 0);
    game->ai->ApplyAction(Pass(archer));
    ExpectFlags(archer, true, false);
    // A second pass, now that it has "moved", finishes it.
    game->ai->ApplyAction(Pass(archer));
    ExpectFlags(archer, true, true);
}

TEST(ApplyAction, CastlePassNextToAnEnemyCastleLeavesItUnfinished)
{
    auto game = StartFixture("ai-actions.txt");
    // (6,2) stands right under the human castle (6,1), its only possible target.
    Unit* nextToEnemy = PieceAt(*game->board, 6, 2);
    game->ai->ApplyAction(Pass(nextToEnemy));
    ExpectFlags(nextToEnemy, true, false);
    // (0,2) has no castle next to it: a pass finishes it.
    Unit* alone = PieceAt(*game->board, 0, 2);
    game->ai->ApplyAction(Pass(alone));
    ExpectFlags(alone, true, true);
}

TEST(ApplyAction, MoveFinishesTheUnitOnlyWhenNothingIsInReach)
{
    auto game = StartFixture("ai-actions.txt");
    Unit* knight = PieceAt(*game->board, 3, 1);
    game->ai->ApplyAction(Move(knight, 4, 1));
    EXPECT_EQ(knight->position.x, 400.0f);
    EXPECT_EQ(knight->position.y, 100.0f);
    ExpectFlags(knight, true, true);

    // (5,1) is next to the human castle (6,1): the Knight keeps its attack.
    knight->hasMoved = false;
    knight->hasAttacked = false;
    game->ai->ApplyAction(Move(knight, 5, 1));
    ExpectFlags(knight, true, false);
}

TEST(ApplyAction, AttackKillsAndFinishesTheAttackerWithoutMovingIt)
{
    auto game = StartFixture("ai-actions.txt");
    Unit* mage = PieceAt(*game->board, 2, 1);
    Unit* knight = PieceAt(*game->board, 1, 1);
    game->ai->ApplyAction(Attack(mage, 1, 1));
    EXPECT_EQ(PieceAt(*game->board, 1, 1), nullptr) << "100 damage kills a Knight";
    EXPECT_EQ(knight->parent, nullptr);
    ExpectFlags(mage, false, true);
}

TEST(ApplyAction, AttackOnACastleCapturesIt)
{
    auto game = StartFixture("ai-actions.txt");
    Unit* knight = PieceAt(*game->board, 1, 0);
    Unit* castle = PieceAt(*game->board, 0, 0);
    game->ai->ApplyAction(Attack(knight, 0, 0));
    EXPECT_EQ(castle->team, game->ai);
    EXPECT_EQ(PieceAt(*game->board, 0, 0), castle) << "a captured castle stays on the board";
    ExpectFlags(knight, false, true);
}

TEST(ApplyAction, AttackOnAnEmptyTileIsSkipped)
{
    auto game = StartFixture("ai-actions.txt");
    TileMap& board = *game->board;
    Unit* knight = PieceAt(board, 3, 1);
    const size_t history = board.history.size();
    game->ai->ApplyAction(Attack(knight, 4, 1));
    EXPECT_EQ(board.history.size(), history) << "nothing happened, so nothing to take back";
    ExpectFlags(knight, false, false);
}

TEST(ApplyAction, EveryKindAppendsExactlyOneHistoryEntry)
{
    auto game = StartFixture("ai-actions.txt");
    TileMap& board = *game->board;
    game->ai->gold = 1000;
    const std::vector<AIAction> actions = {
        Pass(PieceAt(board, 3, 1)),
        Move(PieceAt(board, 4, 0), 4, 1),
        Attack(PieceAt(board, 2, 1), 1, 1),
        Buy(PieceAt(board, 0, 2), 0, 1, 2),
    };
    for (const AIAction& action : actions) {
        const std::string text = ActionText(action);
        const size_t before = board.history.size();
        game->ai->ApplyAction(action);
        EXPECT_EQ(board.history.size(), before + 1) << text;
    }
    // A kind outside the four does nothing at all.
    const size_t before = board.history.size();
    AIAction unknown = Pass(PieceAt(board, 1, 0));
    unknown.kind = static_cast<AIActionKind>(7);
    game->ai->ApplyAction(unknown);
    EXPECT_EQ(board.history.size(), before);
    ExpectFlags(PieceAt(board, 1, 0), false, false);
}

TEST(ApplyAction, BuyChargesExactlyTheTypesCostAndTheNewUnitWaits)
{
    const int32_t costs[] = {400, 600, 700};
    for (int32_t type = 0; type < 3; ++type) {
        auto game = StartFixture("ai-actions.txt");
        TileMap& board = *game->board;
        game->ai->gold = 1000;
        Unit* castle = PieceAt(board, 0, 2);
        game->ai->ApplyAction(Buy(castle, type, 1, 2));
        EXPECT_EQ(game->ai->gold, 1000 - costs[type]) << aitest::TypeName(type);
        EXPECT_TRUE(castle->hasAttacked) << "one purchase per castle and turn";
        Unit* bought = PieceAt(board, 1, 2);
        ASSERT_NE(bought, nullptr) << aitest::TypeName(type) << " not placed on (1,2)";
        EXPECT_EQ(bought->type, type);
        EXPECT_EQ(bought->team, game->ai);
        ExpectFlags(bought, true, true);
        EXPECT_EQ(board.children.back(), bought) << "a bought unit is the board's last child";
    }
}

TEST(AffordableUnitTypes, GrowsWithGoldInTypeOrder)
{
    struct Case {
        int32_t gold;
        std::vector<int32_t> types;
    };
    // Knight 400, Archer 600, Mage 700: each type once its cost is reached.
    const Case cases[] = {
        {0, {}}, {399, {}}, {400, {0}}, {599, {0}}, {600, {0, 1}}, {699, {0, 1}}, {700, {0, 1, 2}}, {5000, {0, 1, 2}},
    };
    AIController side;
    for (const Case& c : cases) {
        side.gold = c.gold;
        EXPECT_EQ(AIController::AffordableUnitTypes(&side), c.types) << "with " << c.gold << " gold";
    }
}

// Playback runs during the AI's turn: ending the human's turn lets the search plan it, then the tests
// drive the steps with chosen frame times (or replace the plan by one of their own).
class Playback : public testing::Test {
protected:
    void SetUp() override
    {
        game = StartFixture("ai-actions.txt", new MinimaxController());
        game->board->EndTurn();
        ASSERT_EQ(game->board->currentTeam, 1);
        ASSERT_TRUE(game->ai->executingPlan);
        ASSERT_EQ(game->ai->actionTimer, 0.0f);
    }

    TileMap& Board() { return *game->board; }
    AIController& Ai() { return *game->ai; }

    std::unique_ptr<TestGame> game;
};

TEST_F(Playback, EachActionWaitsForMoreThanHalfASecond)
{
    // Three legal actions that leave the game undecided (the search's own plan takes both human castles).
    const std::vector<AIAction> plan = {Move(PieceAt(Board(), 3, 1), 4, 1), Pass(PieceAt(Board(), 4, 0)),
                                        Attack(PieceAt(Board(), 2, 1), 1, 1)};
    Ai().plan = plan;
    for (size_t i = 0; i < plan.size(); ++i) {
        const std::string text = "action " + std::to_string(i) + " " + ActionText(plan[i]);
        const size_t history = Board().history.size();
        // 0.25 + 0.25 is exactly half a second: not yet.
        Ai().AdvancePlayback(0.25f);
        Ai().AdvancePlayback(0.25f);
        EXPECT_EQ(Ai().plan.size(), plan.size() - i) << text << " played too early";
        EXPECT_EQ(Board().history.size(), history) << text;
        Ai().AdvancePlayback(0.25f);
        EXPECT_EQ(Ai().plan.size(), plan.size() - i - 1) << text << " not played at 0.75 s";
        EXPECT_EQ(Ai().actionTimer, 0.0f);
        const bool last = i + 1 == plan.size();
        EXPECT_EQ(Board().history.size(), history + (last ? 2 : 1)) << text << ": its entry (and the end of turn)";
        EXPECT_EQ(Board().currentTeam, last ? 0 : 1) << text;
        EXPECT_EQ(Ai().executingPlan, !last) << text;
    }
}

TEST_F(Playback, ExactlyHalfASecondIsNotEnough)
{
    const size_t planned = Ai().plan.size();
    Ai().AdvancePlayback(0.5f);
    EXPECT_EQ(Ai().plan.size(), planned);
    Ai().AdvancePlayback(0.001f);
    EXPECT_EQ(Ai().plan.size(), planned - 1);
}

TEST_F(Playback, EmptyPlanEndsTheTurnAtTheFirstStep)
{
    Ai().plan.clear();
    const size_t history = Board().history.size();
    Ai().AdvancePlayback(0.3f);
    EXPECT_EQ(Board().currentTeam, 1);
    EXPECT_TRUE(Ai().executingPlan);
    Ai().AdvancePlayback(0.3f);
    EXPECT_EQ(Board().currentTeam, 0) << "the human's turn has begun";
    EXPECT_FALSE(Ai().executingPlan);
    EXPECT_EQ(Board().history.size(), history + 1) << "only the end of turn's entry";
}

TEST_F(Playback, LastActionAndTheEndOfTurnShareAStep)
{
    Unit* knight = PieceAt(Board(), 3, 1);
    Unit* archer = PieceAt(Board(), 4, 0);
    Ai().plan = {Move(knight, 4, 1), Pass(archer)};
    const size_t history = Board().history.size();
    Ai().AdvancePlayback(0.6f);
    EXPECT_EQ(PieceAt(Board(), 4, 1), knight);
    EXPECT_EQ(Board().currentTeam, 1);
    EXPECT_EQ(Board().history.size(), history + 1);
    Ai().AdvancePlayback(0.6f);
    EXPECT_EQ(Board().history.size(), history + 3) << "the pass and the end of turn, in one step";
    EXPECT_EQ(Board().currentTeam, 0);
    EXPECT_FALSE(Ai().executingPlan);
    // The end of turn cleared the flags the pass had set.
    ExpectFlags(archer, false, false);
}

TEST_F(Playback, AttackOnAnEmptiedTileIsSkippedAndPlayGoesOn)
{
    Unit* mage = PieceAt(Board(), 2, 1);
    Unit* knight = PieceAt(Board(), 1, 0);
    Unit* other = PieceAt(Board(), 3, 1);
    // The Mage kills the human Knight on (1,1); the Knight's attack on (1,1) then finds nobody.
    Ai().plan = {Attack(mage, 1, 1), Attack(knight, 1, 1), Pass(other)};
    const size_t history = Board().history.size();
    Ai().AdvancePlayback(0.6f);
    ASSERT_EQ(PieceAt(Board(), 1, 1), nullptr);
    EXPECT_EQ(Board().history.size(), history + 1);
    Ai().AdvancePlayback(0.6f);
    EXPECT_EQ(Board().history.size(), history + 1) << "the skipped attack records nothing";
    ExpectFlags(knight, false, false);
    EXPECT_TRUE(Ai().executingPlan);
    EXPECT_EQ(Ai().plan.size(), 1u);
    Ai().AdvancePlayback(0.6f);
    EXPECT_EQ(Board().history.size(), history + 3) << "the pass, then the end of turn";
    EXPECT_EQ(Board().currentTeam, 0);
}

TEST_F(Playback, NothingHappensWhileNoPlanIsRunning)
{
    Ai().executingPlan = false;
    const std::vector<std::string> plan = ActionTexts(Ai().plan);
    const size_t history = Board().history.size();
    Ai().AdvancePlayback(10.0f);
    EXPECT_EQ(Ai().actionTimer, 0.0f) << "time is not even counted";
    EXPECT_EQ(ActionTexts(Ai().plan), plan);
    EXPECT_EQ(Board().history.size(), history);
    EXPECT_EQ(Board().currentTeam, 1);
}

TEST(PassiveOpponent, CollectsIncomeAndEndsItsTurnAtOnce)
{
    auto game = StartFixture("ai-actions.txt");
    const int32_t gold = game->ai->gold;
    const size_t history = game->board->history.size();
    game->board->EndTurn();
    // Two AI castles: +200. Its turn ended inside its own StartTurn: the human is to move again.
    EXPECT_EQ(game->ai->gold, gold + 200);
    EXPECT_EQ(game->board->currentTeam, 0);
    EXPECT_EQ(game->board->history.size(), history + 2) << "two ends of turn, nothing else";
    EXPECT_FALSE(game->ai->executingPlan);
}
