#include "ai/AiFixtures.h"
#include "ai/RandomController.h"

// The human side passes; the random side plays five turns a seed, each planned and played through
// PlayAiTurn, which checks every action's legality and that planning left the board as it was.
// The board offers every kind on the first turn (an adjacent enemy, 400 gold, free tiles). (Its seed
// is followed: the arena's random games replay from their seed.)
TEST(RandomController, PlaysEveryKindOfLegalAction)
{
    std::set<std::string> kinds;  // "Knight(1,2) Move (3,2)": the word after the actor
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto game = StartGame("arena-skirmish.txt", new RandomController(seed));
        for (int turn = 0; turn < 5 && !game->board->gameOver; ++turn) {
            for (const std::string& action : aitest::PlayAiTurn(*game)) {
                kinds.insert(action.substr(action.find(") ") + 2, 3));
            }
        }
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"Att", "Buy", "Mov", "Pas"}));
}
