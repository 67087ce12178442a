#include "ai/AiFixtures.h"

using namespace aitest;

namespace {
// Every score below is worked out by hand from the rules, term by term:
// 10 x material + castles + threats + 3 x attacks + vision + 3 x approach.
// After set-up the human has collected 100 per castle it owns and the AI holds its 300.

// ai-eval-open: 5x3 open board. Human castle (0,0) and Knight (3,1); AI castle (4,2) and Mage (1,1).
TEST(Evaluate, OpenBoardScoredByHandForBothSidesFromTheSightItIsGiven)
{
    auto game = StartGame("ai-eval-open.txt");
    // material: AI 300 + 1000 + 700 = 2000, human 100 + 1000 + 400 = 1500 -> 500, x10 = 5000
    // castles: +100 -100 = 0
    // threats (every piece is in sight): the Mage can step next to the castle (factor 3 x 1000) and
    //   reach the Knight (100 >= 100: 3 x 400): +4200; the Knight can step next to the Mage
    //   (50 >= 50: 3 x 700) and the AI castle (3 x 1000): -5100. Total -900
    // attacks: no piece has moved: 0
    // approach: enemies (0,0), (3,1). AI castle (4,2) -> (3,1), cost 2; Mage (1,1) is 2 from both and
    //   takes the earlier, (0,0), cost 2. -4, x3 = -12
    // vision: the Mage alone sees all 15 tiles
    EXPECT_FLOAT_EQ(Evaluator(*game->board).Evaluate(game->ai), 5000.0f + 0.0f - 900.0f + 0.0f + 15.0f - 12.0f);
    // For the human: material -5000; castles 0; threats: the mirror of the AI's, +900; attacks 0;
    // approach: enemies (4,2), (1,1). Castle (0,0) -> Mage (1,1), cost 2; Knight (3,1) is 2 from both
    //   and takes the earlier, (4,2), cost 2: -12; vision: the Knight sees all 15 tiles
    EXPECT_FLOAT_EQ(Evaluator(*game->board).Evaluate(game->player), -5000.0f + 0.0f + 900.0f + 0.0f + 15.0f - 12.0f);
    // Evaluate reads the pieces in sight from the side's tiles as it finds them, rebuilds them at its
    // end and changes nothing else, not even the other side's sight. With nothing in sight: no
    // threats, no enemies, nothing to approach.
    const BoardState before = CaptureState(*game->board);
    game->ai->visibleTiles.clear();
    EXPECT_FLOAT_EQ(Evaluator(*game->board).Evaluate(game->ai), 5000.0f + 0.0f + 0.0f + 0.0f + 15.0f + 0.0f);
    ExpectSameState(before, CaptureState(*game->board), true);
}

// ai-eval-corridor: one row "3000100000003" (x0 and x12 are kind 3, x4 costs 2). Human castle (1,0) and
// Knight (3,0); AI Mage (6,0), Archer (8,0), castle (11,0).
TEST(Evaluate, CorridorWithRoughGroundAndASpentArcherScoredByHand)
{
    auto game = StartGame("ai-eval-corridor.txt");
    Unit* mage = game->board->GetUnitAt(Tile(6, 0));
    Unit* archer = game->board->GetUnitAt(Tile(8, 0));
    ASSERT_TRUE(mage != nullptr && archer != nullptr);
    // material: AI 300 + 700 + 600 + 1000 = 2600, human 100 + 1000 + 400 = 1500 -> 11000
    // threats: Knight reaches (4,0), (2,0), (5,0) and from (5,0) the Mage: -2100;
    //   Mage reaches (7,0), (5,0), (4,0) and the Knight from them: +1200;
    //   Archer reaches (9,0), (7,0), (10,0), the Knight at 4 from (7,0), factor 1: +400. Total -500
    // approach: every AI piece goes for the Knight (3,0): Mage 1+2+1 = 4, Archer 6, castle 9: -19, x3 = -57
    // vision: tiles 1..11 (the two kind-3 ends never count): 11
    const float withoutAttacks = 11000.0f + 0.0f - 500.0f + 0.0f + 11.0f - 57.0f;
    EXPECT_FLOAT_EQ(Evaluator(*game->board).Evaluate(game->ai), withoutAttacks);
    // The Mage has moved and still has the Knight at 3 in range: attacks 3 x 400, x3 = 3600.
    // The Archer is finished, so its Knight in range counts for nothing.
    mage->hasMoved = true;
    archer->hasMoved = true;
    archer->hasAttacked = true;
    EXPECT_FLOAT_EQ(Evaluator(*game->board).Evaluate(game->ai), withoutAttacks + 3600.0f);
}

// ai-eval-capture: one row of 5. Human castle (0,0), Knight (3,0); AI castle (4,0), Knight (1,0).
TEST(Evaluate, CapturingTheEnemyCastleMovesItsWorthAndTheCastleTerm)
{
    auto game = StartGame("ai-eval-capture.txt");
    TileMap& board = *game->board;
    // Before: material 1700 - 1500 = 200 -> 2000; castles 0; threats: each Knight threatens the other
    //   from (2,0), +400 - 400 = 0; approach: castle (4,0) -> (3,0) 1, Knight (1,0) -> (0,0) 1: -6; vision 5
    EXPECT_FLOAT_EQ(Evaluator(board).Evaluate(game->ai), 2000.0f + 0.0f + 0.0f + 0.0f + 5.0f - 6.0f);
    game->ai->ApplyAction({Attack, board.GetUnitAt(Tile(1, 0)), Tile(0, 0)});
    ASSERT_EQ(board.GetUnitAt(Tile(0, 0))->team, game->ai);
    // The castle's 1000 leaves one side's worth (1500) for the other's (1700): 2700 against 500.
    // After: material 2700 - 500 -> 22000; castles +200; threats still 0 (a castle never threatens);
    //   approach: the only enemy left is the Knight (3,0): castles (0,0) 3 and (4,0) 1, Knight (1,0) 2: -18
    EXPECT_FLOAT_EQ(Evaluator(board).Evaluate(game->ai), 22000.0f + 200.0f + 0.0f + 0.0f + 5.0f - 18.0f);
}

// ai-eval-alone: one row of 12. AI Knight (3,0) and castle (4,0); a human Knight (11,0) out of their
// sight and no other castle, so set-up already decided the game (the board is still there to score).
// One row of 14: AI castle (0,0) and Knight (1,0), the human castle (13,0). A wall on (9,0) cuts the
// way: the nearest enemy out of reach must never score better than the same enemy within reach.
TEST(Evaluate, ApproachWithNoEnemyInSightAndWithTheEnemyOutOfReach)
{
    auto alone = StartGame("ai-eval-alone.txt");
    ASSERT_FALSE(alone->ai->CanSee(Tile(11, 0)));
    // material: AI 300 + 400 + 1000, human 0 + 400 -> 13000; castles +100; threats 0 (the Knight reaches
    // nothing next to the far Knight); approach 0: nobody to walk to; vision: tiles 0..9
    EXPECT_FLOAT_EQ(Evaluator(*alone->board).Evaluate(alone->ai), 13000.0f + 100.0f + 0.0f + 0.0f + 10.0f + 0.0f);

    const std::string pieces = "\n3,0,0,1\n0,1,0,1\n3,13,0,0\n";
    auto open = StartGame("00000000000000\n" + pieces);
    auto walled = StartGame("00000000020000\n" + pieces);
    const float reachable = Evaluator(*open->board).Evaluate(open->ai);
    const float outOfReach = Evaluator(*walled->board).Evaluate(walled->ai);
    EXPECT_LT(outOfReach, reachable);
    // Material, castles, threats, attacks and vision are the same on both boards: only the walk differs,
    // and on the open board it is 13 + 12 for the two AI pieces.
    EXPECT_FLOAT_EQ(reachable - outOfReach, 3.0f * (2.0f * unreachablePathCost - 25.0f));
}

// ai-eval-tie-*: row "00010". The AI Knight (2,0) between human Knights (0,0) and (4,0), both 2 away;
// the way right crosses the cost-2 tile. The files differ only in which human Knight comes first in
// the board's order, and that one is the Knight the AI walks to: a later one replaces it only when
// strictly nearer.
TEST(Evaluate, OfEnemiesEquallyNearTheWalkGoesToTheFirstInTheBoardsOrder)
{
    // material: AI 300 + 400, human 0 + 800 -> -1000; castles 0; threats: the AI Knight steps next
    // to either (+400 +400), each human Knight next to it (-400 -400): 0; attacks 0; vision 5.
    // approach: to (0,0) 1 + 1, x3 = -6; to (4,0) 2 + 1, x3 = -9
    const std::pair<const char*, float> cases[] = {{"ai-eval-tie-left-first.txt", -6.0f},
                                                   {"ai-eval-tie-right-first.txt", -9.0f}};
    for (const auto& [map, approach] : cases) {
        auto game = StartGame(map);
        EXPECT_FLOAT_EQ(Evaluator(*game->board).Evaluate(game->ai), -1000.0f + 5.0f + approach) << map;
    }
}

// ai-eval-kill-factors: one row of 46; pairs 7 apart, so each AI attacker has exactly its one human target
// in range. Setting the attacker's hasMoved (and not hasAttacked) changes only the attacks term:
// 3 x factor x value, where the factor is 3 when the damage kills (damage >= health) and 1 otherwise.
TEST(Evaluate, AttackInReachCountsThreeTimesTheValueWhenItKillsAndOnceOtherwise)
{
    // Mage on Knight: 100 on 100, 3 x 3 x 400; Knight on Knight: 50 on 100, 3 x 1 x 400;
    // Knight on castle: a castle's health is 0, 3 x 3 x 1000.
    const std::pair<int, float> cases[] = {{2, 3600.0f}, {16, 1200.0f}, {44, 9000.0f}};
    auto game = StartGame("ai-eval-kill-factors.txt");
    for (const auto& [attackerX, term] : cases) {
        Unit* attacker = game->board->GetUnitAt(Tile(attackerX, 0));
        ASSERT_TRUE(attacker != nullptr && attacker->team == game->ai);
        const float base = Evaluator(*game->board).Evaluate(game->ai);
        attacker->hasMoved = true;
        EXPECT_FLOAT_EQ(Evaluator(*game->board).Evaluate(game->ai) - base, term) << PieceText(attacker);
        attacker->hasMoved = false;
    }
}

// The walking cost of the first path found, on the tiles alone (pieces do not block it).
TEST(WalkingCost, OfTheFirstPathFoundOnTheTilesAlone)
{
    const std::tuple<const char*, int, int, int32_t> cases[] = {
        {"020\n000\n", 0, 2, 4},  // (1,0) costs 999: down, along row 1 and up again
        {"020\n020\n", 0, 2, unreachablePathCost},
        {"003\n", 0, 2, unreachablePathCost},  // a target that itself costs 999 is never entered
        {"10\n", 1, 0, 2},                     // the target tile counts, the start tile does not
        // Straight along row 0 costs 2 + 2 + 2 + 1 = 7 in 4 steps; around by row 1 costs 6 in 6 steps.
        // The first-in-first-out search reaches (4,0) from (3,0) first.
        {"01110\n00000\n", 0, 4, 7},
        {"00000\n\n3,0,0,0\n0,1,0,1\n0,3,0,0\n3,4,0,1\n", 0, 4, 4},
    };
    for (const auto& [rows, fromX, toX, cost] : cases) {
        auto game = StartGame(rows);
        EXPECT_EQ(PathCost(*game->board, Tile(fromX, 0), Tile(toX, 0)), cost) << rows << " from " << fromX;
    }
}
}  // namespace
