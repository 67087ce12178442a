// Plans of both opponents on the benchmark's larger positions: the shipped maps with
// the computer side given more and more units (4 to 20 steps of the two-candidate search).
// NOTE: these plans were recorded before the searches were made faster; they pin the
// opponents' behaviour in the study, so a change to them must be deliberate.

#include "ai/AiFixtures.h"

namespace {
struct LargeCase {
    const char* position;
    bool hps;
    const char* plan;  // kind(actor tile)->(target tile)t(unit type), as planned from the start
};

void PrintTo(const LargeCase& c, std::ostream* out)
{
    *out << c.position << (c.hps ? " (two-candidate)" : " (step search)");
}

const LargeCase largeCases[] = {
    {"hps-Map1-4", true, "0(21,7)->(0,0)t0 1(20,8)->(18,11)t0 1(20,6)->(19,4)t0 1(22,7)->(19,5)t0"},
    {"hps-Map1-4", false, "0(21,7)->(0,0)t0 1(20,8)->(18,7)t0 1(20,6)->(20,3)t0 1(22,7)->(20,10)t0"},
    {"hps-Map1-8", true, "0(21,7)->(0,0)t0 1(20,8)->(18,11)t0 1(20,6)->(19,4)t0 1(22,7)->(20,5)t0 1(21,8)->(20,10)t0 1(20,7)->(19,7)t0 1(21,6)->(20,3)t0 1(23,7)->(21,6)t0"},
    {"hps-Map1-8", false, "0(21,7)->(0,0)t0 1(20,8)->(18,7)t0 1(20,6)->(20,3)t0 1(22,7)->(20,10)t0 1(21,8)->(21,10)t0 1(20,7)->(20,5)t0 1(21,6)->(19,4)t0 1(23,7)->(22,9)t0"},
    {"hps-Map1-12", true, "0(21,7)->(0,0)t0 1(20,8)->(18,11)t0 1(20,6)->(19,4)t0 0(22,7)->(0,0)t0 1(21,8)->(20,9)t0 1(20,7)->(20,5)t0 1(21,6)->(20,3)t0 1(23,7)->(23,5)t0 1(22,8)->(20,8)t0 1(22,6)->(20,4)t0 1(21,9)->(20,11)t0 1(19,7)->(18,6)t0"},
    {"hps-Map1-12", false, "0(21,7)->(0,0)t0 1(20,8)->(18,7)t0 1(20,6)->(20,3)t0 0(22,7)->(0,0)t0 1(21,8)->(20,9)t0 1(20,7)->(20,5)t0 1(21,6)->(19,4)t0 1(23,7)->(22,9)t0 1(22,8)->(20,8)t0 1(22,6)->(21,4)t0 1(21,9)->(20,11)t0 1(19,7)->(19,5)t0"},
    {"hps-Map1-16", false, "0(21,7)->(0,0)t0 1(20,8)->(18,7)t0 1(20,6)->(19,4)t0 0(22,7)->(0,0)t0 1(21,8)->(20,9)t0 1(20,7)->(20,6)t0 0(21,6)->(0,0)t0 0(23,7)->(0,0)t0 1(22,8)->(22,10)t0 1(22,6)->(22,5)t0 1(21,9)->(20,11)t0 1(19,7)->(19,5)t0 1(21,5)->(19,2)t0 2(21,5)->(18,2)t0 1(24,7)->(23,9)t0 1(23,8)->(21,9)t0 1(23,6)->(24,9)t0"},
    {"hps-Map1-20", false, "0(21,7)->(0,0)t0 1(20,8)->(18,7)t0 1(20,6)->(19,4)t0 0(22,7)->(0,0)t0 1(21,8)->(20,8)t0 1(20,7)->(20,6)t0 0(21,6)->(0,0)t0 0(23,7)->(0,0)t0 1(22,8)->(21,8)t0 0(22,6)->(0,0)t0 0(21,9)->(0,0)t0 1(19,7)->(19,5)t0 1(21,5)->(19,2)t0 2(21,5)->(18,2)t0 1(24,7)->(23,9)t0 1(23,8)->(24,9)t0 1(23,6)->(22,8)t0 1(22,9)->(22,10)t0 1(22,5)->(20,5)t0 1(21,10)->(19,13)t0 2(21,10)->(18,13)t0 1(20,9)->(17,9)t0"},
    {"hps-Map2-4", true, "0(17,11)->(0,0)t0 3(13,13)->(12,13)t0 1(16,10)->(13,8)t0 1(18,11)->(15,11)t0"},
    {"hps-Map2-4", false, "0(17,11)->(0,0)t0 3(13,13)->(13,12)t0 1(16,10)->(15,7)t0 1(18,11)->(15,11)t0"},
    {"hps-Map2-8", true, "0(17,11)->(0,0)t0 3(13,13)->(12,13)t0 1(16,10)->(13,8)t0 1(18,11)->(18,9)t0 1(17,12)->(14,12)t0 1(16,11)->(13,11)t0 1(17,10)->(12,10)t0 0(19,11)->(0,0)t0"},
    {"hps-Map2-8", false, "0(17,11)->(0,0)t0 3(13,13)->(13,12)t0 1(16,10)->(15,7)t0 1(18,11)->(15,13)t0 1(17,12)->(15,11)t0 1(16,11)->(14,10)t0 1(17,10)->(14,8)t0 1(19,11)->(19,9)t0"},
    {"hps-Map2-12", true, "0(17,11)->(0,0)t0 3(13,13)->(12,13)t0 1(16,10)->(13,8)t0 0(18,11)->(0,0)t0 0(17,12)->(0,0)t0 1(16,11)->(13,11)t0 1(17,10)->(12,10)t0 1(19,11)->(19,9)t0 0(18,12)->(0,0)t0 1(18,10)->(14,10)t0 1(17,13)->(14,13)t0 1(16,12)->(13,12)t0"},
    {"hps-Map2-12", false, "0(17,11)->(0,0)t0 3(13,13)->(13,12)t0 1(16,10)->(15,7)t0 0(18,11)->(0,0)t0 0(17,12)->(0,0)t0 1(16,11)->(13,11)t0 1(17,10)->(12,10)t0 1(19,11)->(19,9)t0 0(18,12)->(0,0)t0 1(18,10)->(14,10)t0 1(17,13)->(15,12)t0 1(16,12)->(15,10)t0"},
    {"hps-Map2-16", true, "0(17,11)->(0,0)t0 0(13,13)->(0,0)t0 1(16,10)->(13,8)t0 0(18,11)->(0,0)t0 0(17,12)->(0,0)t0 1(16,11)->(14,10)t0 1(17,10)->(14,8)t0 0(19,11)->(0,0)t0 0(18,12)->(0,0)t0 1(18,10)->(15,9)t0 1(17,13)->(14,13)t0 1(16,12)->(13,12)t0 1(15,11)->(11,10)t0 1(17,9)->(16,8)t0 1(20,11)->(20,8)t0 1(19,12)->(15,13)t0"},
    {"hps-Map2-16", false, "0(17,11)->(0,0)t0 3(13,13)->(13,12)t0 1(16,10)->(15,7)t0 0(18,11)->(0,0)t0 0(17,12)->(0,0)t0 1(16,11)->(14,10)t0 1(17,10)->(14,8)t0 1(19,11)->(19,9)t0 0(18,12)->(0,0)t0 1(18,10)->(15,10)t0 1(17,13)->(15,12)t0 1(16,12)->(14,13)t0 1(15,11)->(10,11)t0 1(17,9)->(15,9)t0 1(20,11)->(20,8)t0 1(19,12)->(15,13)t0"},
    {"hps-Map2-20", false, "0(17,11)->(0,0)t0 3(13,13)->(13,12)t0 1(16,10)->(15,7)t0 0(18,11)->(0,0)t0 0(17,12)->(0,0)t0 1(16,11)->(14,10)t0 1(17,10)->(14,8)t0 0(19,11)->(0,0)t0 0(18,12)->(0,0)t0 1(18,10)->(15,10)t0 1(17,13)->(15,12)t0 1(16,12)->(14,13)t0 1(15,11)->(10,11)t0 1(17,9)->(15,9)t0 1(20,11)->(20,8)t0 0(19,12)->(0,0)t0 1(19,10)->(19,8)t0 1(18,13)->(15,13)t0 1(18,9)->(16,8)t0 1(17,14)->(14,14)t0"}
};
}  // namespace

class LargePositionPlan : public testing::TestWithParam<LargeCase> {};

TEST_P(LargePositionPlan, MatchesTheRecordedPlan)
{
    auto game = StartGame(std::string("large-") + GetParam().position + ".txt", aitest::NewOpponent(GetParam().hps));
    // Planned at the human's turn, from the position as set up, with 300 gold before income.
    game->ai->gold = 300;
    game->ai->StartTurn();
    game->ai->FinishThinking();
    ASSERT_TRUE(game->ai->executingPlan);
    std::string plan;
    for (const AIAction& action : game->ai->plan) {
        plan += (plan.empty() ? "" : " ") + std::to_string(static_cast<int>(action.kind)) +
                TileText(action.unit->GetTile()) + "->" + TileText(action.tile) + "t" + std::to_string(action.unitType);
    }
    EXPECT_EQ(plan, GetParam().plan);
}

INSTANTIATE_TEST_SUITE_P(Recorded, LargePositionPlan, testing::ValuesIn(largeCases),
                         [](const testing::TestParamInfo<LargeCase>& info) {
                             std::string name = std::string(info.param.hps ? "Hps_" : "Minimax_") + info.param.position;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
