#include "ai/AiFixtures.h"
#include "arena/RandomController.h"

namespace {
// The human side passes; the random side plays `turns` turns, each planned and played
// through PlayAiTurn, which checks every action's legality and that planning left the board.
std::vector<std::vector<std::string>> PlayRandomTurns(uint32_t seed, int turns)
{
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::vector<std::vector<std::string>> plans;
    auto game = StartGame("arena-skirmish.txt", new RandomController(seed));
    for (int turn = 0; turn < turns && !game->board->gameOver; ++turn) {
        plans.push_back(aitest::PlayAiTurn(*game));
    }
    return plans;
}
}  // namespace

// Its seed is followed: the arena's random games replay from their seed.
TEST(RandomController, PlaysEveryKindOfLegalAction)
{
    std::set<std::string> kinds;  // "Knight(1,2) Move (3,2)": the word after the actor
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        for (const auto& plan : PlayRandomTurns(seed, 5)) {
            for (const std::string& action : plan) {
                kinds.insert(action.substr(action.find(") ") + 2, 3));
            }
        }
    }
    // The board offers every kind on the first turn (an adjacent enemy, 400 gold, free tiles).
    EXPECT_EQ(kinds, (std::set<std::string>{"Att", "Buy", "Mov", "Pas"}));
}
