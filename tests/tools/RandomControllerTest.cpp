#include "ai/AiFixtures.h"
#include "arena/RandomController.h"

namespace {
struct Played {
    std::vector<std::vector<std::string>> plans;  // one per turn of the random side
    std::set<AIActionKind> kinds;
};

// The human side passes every turn; the random side (side 1) plays up to `turns` turns. Each turn
// its planning must leave the board as it was but for the income, and each action must be legal
// when it is played.
Played PlayRandomTurns(uint32_t seed, int turns)
{
    SCOPED_TRACE("seed " + std::to_string(seed));
    Played played;
    auto game = aitest::StartFixture("arena-skirmish.txt", new RandomController(seed));
    for (int turn = 0; turn < turns && !game->board->gameOver; ++turn) {
        played.plans.push_back(aitest::PlayAiTurn(*game, &played.kinds));
    }
    return played;
}
}  // namespace

TEST(RandomController, PlaysOnlyLegalActionsAndTakesItsPlanningBack)
{
    std::set<AIActionKind> kinds;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        Played played = PlayRandomTurns(seed, 5);
        EXPECT_FALSE(played.plans.empty()) << "seed " << seed;
        kinds.insert(played.kinds.begin(), played.kinds.end());
    }
    // The board gives it something of every kind to do (a knight adjacent to an
    // enemy knight, 400 gold and free tiles at its castle on its first turn), so
    // thirty random turns that never moved, attacked or bought would mean it cannot.
    EXPECT_EQ(kinds.size(), 4u) << "kinds of action seen: " << kinds.size();
}

TEST(RandomController, SameSeedSamePlansOtherSeedOtherPlans)
{
    Played first = PlayRandomTurns(42, 4);
    EXPECT_EQ(PlayRandomTurns(42, 4).plans, first.plans);
    // Each turn draws among dozens of moves per piece: two seeds that agree on four
    // whole turns would mean the seed is not used.
    EXPECT_NE(PlayRandomTurns(43, 4).plans, first.plans);
}
