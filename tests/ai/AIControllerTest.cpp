#include "ai/AiFixtures.h"

using namespace aitest;

using enum AIActionKind;

// ai-actions: 7x3 open board.
//   row 0: human castle (0,0), AI Knight (1,0), AI Archer (4,0)
//   row 1: human Knight (1,1), AI Mage (2,1), AI Knight (3,1), human castle (6,1)
//   row 2: AI castle (0,2), AI castle (6,2) (right under the human castle)
namespace {
using rows::PrintTo;

void ExpectFlags(const Unit* unit, bool moved, bool attacked)
{
    EXPECT_EQ(unit->hasMoved, moved) << PieceText(unit) << " hasMoved";
    EXPECT_EQ(unit->hasAttacked, attacked) << PieceText(unit) << " hasAttacked";
}

struct ApplyCase {
    const char* name;
    AIActionKind kind;
    int x, y;              // the actor
    int targetX, targetY;  // Move, Attack, Buy: the action's tile; otherwise the actor's own
    int32_t type;
    bool movedBefore;
    bool moved, attacked;   // the actor's flags afterwards
    size_t entries;         // history entries recorded
    const char* onTarget;   // the piece on the target tile afterwards, "ai " or "human " for its owner
};

class ApplyAction : public testing::TestWithParam<ApplyCase> {};
}  // namespace

TEST_P(ApplyAction, ChangesTheBoardAsTheRulesSay)
{
    const ApplyCase& c = GetParam();
    auto game = StartFixture("ai-actions.txt");
    TileMap& board = *game->board;
    game->ai->gold = 1000;
    Unit* actor = PieceAt(board, c.x, c.y);
    ASSERT_NE(actor, nullptr);
    ExpectFlags(actor, false, false);
    actor->hasMoved = c.movedBefore;
    const size_t history = board.history.size();

    game->ai->ApplyAction(Act(c.kind, actor, c.targetX, c.targetY, c.type));

    ExpectFlags(actor, c.moved, c.attacked);
    EXPECT_EQ(board.history.size(), history + c.entries);
    Unit* there = PieceAt(board, c.targetX, c.targetY);
    EXPECT_EQ((there == nullptr ? "" : there->team == game->ai ? "ai " : "human ") + PieceText(there), c.onTarget);
    const int32_t prices[] = {400, 600, 700};  // Knight, Archer, Mage
    EXPECT_EQ(game->ai->gold, 1000 - (c.kind == Buy ? prices[c.type] : 0)) << "only a purchase costs";
    if (c.kind != Move) {
        EXPECT_EQ(PieceAt(board, c.x, c.y), actor) << "the actor did not stay where it was";
    }
    if (c.kind == Buy) {
        ExpectFlags(there, true, true);  // a bought unit waits for the next turn
        EXPECT_EQ(board.children.back(), there) << "a bought unit is the board's last child";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ApplyAction,
    testing::Values(
        ApplyCase{"PassWithNothingInReachFinishesTheUnit", Pass, 3, 1, 3, 1, 0, false, true, true, 1, "ai Knight(3,1)"},
        // The human Knight is 4 from the Archer, within its range of 5.
        ApplyCase{"PassWithATargetKeepsTheAttackStep", Pass, 4, 0, 4, 0, 0, false, true, false, 1, "ai Archer(4,0)"},
        ApplyCase{"SecondPassFinishes", Pass, 4, 0, 4, 0, 0, true, true, true, 1, "ai Archer(4,0)"},
        // (6,2) stands right under the human castle (6,1), its only possible target; (0,2) has none.
        ApplyCase{"CastlePassNextToAnEnemyCastleLeavesItUnfinished", Pass, 6, 2, 6, 2, 0, false, true, false, 1,
                  "ai Castle(6,2)"},
        ApplyCase{"CastlePassWithNoCastleNextToItFinishesIt", Pass, 0, 2, 0, 2, 0, false, true, true, 1,
                  "ai Castle(0,2)"},
        ApplyCase{"MoveWithNothingInReachFinishesTheUnit", Move, 3, 1, 4, 1, 0, false, true, true, 1, "ai Knight(4,1)"},
        // (5,1) is next to the human castle (6,1).
        ApplyCase{"MoveNextToTheirCastleKeepsTheAttack", Move, 3, 1, 5, 1, 0, false, true, false, 1, "ai Knight(5,1)"},
        // 100 damage kills a Knight.
        ApplyCase{"AttackKillsAndFinishesTheAttackerWithoutMovingIt", Attack, 2, 1, 1, 1, 0, false, false, true, 1,
                  "nobody"},
        ApplyCase{"AttackOnACastleCapturesIt", Attack, 1, 0, 0, 0, 0, false, false, true, 1, "ai Castle(0,0)"},
        ApplyCase{"AttackOnAnEmptyTileIsSkipped", Attack, 3, 1, 4, 1, 0, false, false, false, 0, "nobody"},
        ApplyCase{"UnknownKindDoesNothing", static_cast<AIActionKind>(7), 1, 0, 1, 0, 0, false, false, false, 0,
                  "ai Knight(1,0)"},
        // One purchase per castle and turn, paid at exactly the type's price.
        ApplyCase{"BuyKnight", Buy, 0, 2, 1, 2, 0, false, false, true, 1, "ai Knight(1,2)"},
        ApplyCase{"BuyArcher", Buy, 0, 2, 1, 2, 1, false, false, true, 1, "ai Archer(1,2)"},
        ApplyCase{"BuyMage", Buy, 0, 2, 1, 2, 2, false, false, true, 1, "ai Mage(1,2)"}),
    [](const testing::TestParamInfo<ApplyCase>& info) { return std::string(info.param.name); });

TEST(AffordableUnitTypes, GrowsWithGoldInTypeOrder)
{
    // Knight 400, Archer 600, Mage 700: each type once its cost is reached.
    const std::pair<int32_t, std::vector<int32_t>> cases[] = {
        {0, {}}, {399, {}}, {400, {0}}, {599, {0}}, {600, {0, 1}}, {699, {0, 1}}, {700, {0, 1, 2}}, {5000, {0, 1, 2}},
    };
    AIController side;
    for (const auto& [gold, types] : cases) {
        side.gold = gold;
        EXPECT_EQ(AIController::AffordableUnitTypes(&side), types) << "with " << gold << " gold";
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
        game->ai->FinishThinking();
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
    const std::vector<AIAction> plan = {Act(Move, PieceAt(Board(), 3, 1), 4, 1), Act(Pass, PieceAt(Board(), 4, 0)),
                                        Act(Attack, PieceAt(Board(), 2, 1), 1, 1)};
    Ai().plan = plan;
    for (size_t i = 0; i < plan.size(); ++i) {
        const std::string text = "action " + std::to_string(i) + " " + ActionText(plan[i]);
        const size_t history = Board().history.size();
        // 0.25 + 0.25 is exactly half a second: not yet; a thousandth more is enough.
        Ai().AdvancePlayback(0.25f);
        Ai().AdvancePlayback(0.25f);
        EXPECT_EQ(Ai().plan.size(), plan.size() - i) << text << " played too early";
        EXPECT_EQ(Board().history.size(), history) << text;
        Ai().AdvancePlayback(0.001f);
        EXPECT_EQ(Ai().plan.size(), plan.size() - i - 1) << text << " not played at 0.501 s";
        EXPECT_EQ(Ai().actionTimer, 0.0f);
        const bool last = i + 1 == plan.size();
        // The last action and the end of the turn share a step.
        EXPECT_EQ(Board().history.size(), history + (last ? 2 : 1)) << text << ": its entry (and the end of turn)";
        EXPECT_EQ(Board().currentTeam, last ? 0 : 1) << text;
        EXPECT_EQ(Ai().executingPlan, !last) << text;
    }
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
