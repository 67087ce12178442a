#include "ai/AiFixtures.h"

using namespace aitest;

// ai-minimax-pocket: the AI Knight (0,0) is shut in a two-tile pocket {(0,0), (1,0)} by walls; castles at
// (4,0) (AI) and (4,2) (human). From either tile the human castle cannot be walked to, nothing can be
// attacked and all 15 tiles stay in sight: moving scores exactly what staying scores, and both searches
// keep the turn found first, the Pass.
// ai-boxed-archer: the walled-in Archer's only first step is Pass, which leaves it a target, so its second
// step offers attacks and nothing else; killing the Mage (5,0) takes 700 off the human side (+7000) where
// wounding the Knight (3,0) changes no term the Archer's side can see.
// The two-candidate search scores two candidates per step: 2^2 and 2^3 complete turns, and a score
// left from an earlier search must not block the first complete turn of this one.
TEST(Searches, TiesKeepThePassAndAUnitThatPassesWithATargetMustAttack)
{
    const std::tuple<const char*, std::vector<std::string>, int> cases[] = {
        {"ai-minimax-pocket.txt", {"Castle(4,0) Pass", "Knight(0,0) Pass"}, 4},
        {"ai-boxed-archer.txt", {"Archer(0,0) Pass", "Archer(0,0) Attack (5,0)", "Castle(7,0) Pass"}, 8},
    };
    for (const auto& [map, plan, hpsTurns] : cases) {
        for (bool hps : {false, true}) {
            SCOPED_TRACE(std::string(map) + (hps ? " hps" : " minimax"));
            auto game = StartGame(map, NewOpponent(hps));
            game->ai->gold = 0;  // 100 after income: the castle can buy nothing
            if (hps) {
                static_cast<HPSController*>(game->ai)->bestScore = 1e30f;
            }
            EXPECT_EQ(PlayAiTurn(*game), plan);
            if (hps) {
                EXPECT_EQ(static_cast<HPSController*>(game->ai)->turnsScored, hpsTurns);
            }
        }
    }
}
