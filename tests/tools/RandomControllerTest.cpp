#include "ai/AiFixtures.h"
#include "arena/RandomController.h"

namespace {
// The human side passes; the random side plays `turns` turns, each planned and played
// through PlayAiTurn, which checks every action's legality and that planning left the board.
std::vector<std::vector<std::string>> PlayRandomTurns(uint32_t seed, int turns, std::set<AIActionKind>* kinds)
{
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::vector<std::vector<std::string>> plans;
    auto game = aitest::StartFixture("arena-skirmish.txt", new RandomController(seed));
    for (int turn = 0; turn < turns && !game->board->gameOver; ++turn) {
        plans.push_back(aitest::PlayAiTurn(*game, kinds));
    }
    return plans;
}
}  // namespace

TEST(RandomController, PlaysEveryKindOfLegalActionAndFollowsItsSeed)
{
    std::set<AIActionKind> kinds;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        EXPECT_FALSE(PlayRandomTurns(seed, 5, &kinds).empty()) << "seed " << seed;
    }
    // The board offers every kind on the first turn (an adjacent enemy, 400 gold, free tiles).
    EXPECT_EQ(kinds.size(), 4u) << "kinds of action seen";
    const auto first = PlayRandomTurns(42, 4, nullptr);
    EXPECT_EQ(PlayRandomTurns(42, 4, nullptr), first);
    EXPECT_NE(PlayRandomTurns(43, 4, nullptr), first) << "the seed is not used";
}
