#include <cstdio>

#include "ai/AiFixtures.h"
#include "ai/Evaluation.h"
#include "ai/Evaluator.h"

using namespace aitest;

namespace {
// The walking cost alone, on a bare board of tile digits (no sides, no pieces).
int32_t PathCostOn(const std::string& rows, Vector2 start, Vector2 target)
{
    TileMap board;
    std::string path = WriteTempFile(rows);
    board.LoadMap(path);
    std::remove(path.c_str());
    return PathCost(board, start, target);
}

// Every score below is worked out by hand from the rules, term by term:
// 10 x material + castles + threats + 3 x attacks + vision + 3 x approach.
// After set-up the human has collected 100 per castle it owns and the AI holds its 300.

// ai-eval-open: 5x3 open board. Human castle (0,0) and Knight (3,1); AI castle (4,2) and Mage (1,1).
TEST(Evaluate, OpenBoardScoredByHandForBothSides)
{
    auto game = StartFixture("ai-eval-open.txt");
    // material: AI 300 + 1000 + 700 = 2000, human 100 + 1000 + 400 = 1500 -> 500, x10 = 5000
    // castles: +100 -100 = 0
    // threats (every piece is in sight): the Mage can step next to the castle (factor 3 x 1000) and
    //   reach the Knight (100 >= 100: 3 x 400): +4200; the Knight can step next to the Mage
    //   (50 >= 50: 3 x 700) and the AI castle (3 x 1000): -5100. Total -900
    // attacks: no piece has moved: 0
    // approach: enemies (0,0), (3,1). AI castle (4,2) -> (3,1), cost 2; Mage (1,1) is 2 from both and
    //   takes the earlier, (0,0), cost 2. -4, x3 = -12
    // vision: the Mage alone sees all 15 tiles
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai), 5000.0f + 0.0f - 900.0f + 0.0f + 15.0f - 12.0f);
    // For the human: material -5000; castles 0; threats: the mirror of the AI's, +900; attacks 0;
    // approach: enemies (4,2), (1,1). Castle (0,0) -> Mage (1,1), cost 2; Knight (3,1) is 2 from both
    //   and takes the earlier, (4,2), cost 2: -12; vision: the Knight sees all 15 tiles
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->player), -5000.0f + 0.0f + 900.0f + 0.0f + 15.0f - 12.0f);
}

// ai-eval-corridor: one row "3000100000003" (x0 and x12 are kind 3, x4 costs 2). Human castle (1,0) and
// Knight (3,0); AI Mage (6,0), Archer (8,0), castle (11,0).
TEST(Evaluate, CorridorWithRoughGroundAndASpentArcherScoredByHand)
{
    auto game = StartFixture("ai-eval-corridor.txt");
    Unit* mage = PieceAt(*game->board, 6, 0);
    Unit* archer = PieceAt(*game->board, 8, 0);
    ASSERT_TRUE(mage != nullptr && archer != nullptr);
    // material: AI 300 + 700 + 600 + 1000 = 2600, human 100 + 1000 + 400 = 1500 -> 11000
    // threats: Knight reaches (4,0), (2,0), (5,0) and from (5,0) the Mage: -2100;
    //   Mage reaches (7,0), (5,0), (4,0) and the Knight from them: +1200;
    //   Archer reaches (9,0), (7,0), (10,0), the Knight at 4 from (7,0), factor 1: +400. Total -500
    // approach: every AI piece goes for the Knight (3,0): Mage 1+2+1 = 4, Archer 6, castle 9: -19, x3 = -57
    // vision: tiles 1..11 (the two kind-3 ends never count): 11
    const float withoutAttacks = 11000.0f + 0.0f - 500.0f + 0.0f + 11.0f - 57.0f;
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai), withoutAttacks);

    // The Mage has moved and still has the Knight at 3 in range: attacks 3 x 400, x3 = 3600.
    // The Archer is finished, so its Knight in range counts for nothing.
    mage->hasMoved = true;
    archer->hasMoved = true;
    archer->hasAttacked = true;
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai), withoutAttacks + 3600.0f);
}

// ai-eval-capture: one row of 5. Human castle (0,0), Knight (3,0); AI castle (4,0), Knight (1,0).
TEST(Evaluate, CapturingTheEnemyCastleMovesItsWorthAndTheCastleTerm)
{
    auto game = StartFixture("ai-eval-capture.txt");
    TileMap& board = *game->board;
    // Before: material 1700 - 1500 = 200 -> 2000; castles 0; threats: each Knight threatens the other
    //   from (2,0), +400 - 400 = 0; approach: castle (4,0) -> (3,0) 1, Knight (1,0) -> (0,0) 1: -6; vision 5
    EXPECT_FLOAT_EQ(Evaluate(board, game->ai), 2000.0f + 0.0f + 0.0f + 0.0f + 5.0f - 6.0f);

    Unit* knight = PieceAt(board, 1, 0);
    Unit* castle = PieceAt(board, 0, 0);
    game->ai->ApplyAction(Act(AIActionKind::Attack, knight, 0, 0));
    ASSERT_EQ(castle->team, game->ai);
    // The castle's 1000 leaves one side's worth (1500) for the other's (1700): 2700 against 500.
    EXPECT_EQ(TeamWorth(board, game->ai) - TeamWorth(board, game->player), 2200);
    // After: material 2700 - 500 -> 22000; castles +200; threats still 0 (a castle never threatens);
    //   approach: the only enemy left is the Knight (3,0): castles (0,0) 3 and (4,0) 1, Knight (1,0) 2: -18
    EXPECT_FLOAT_EQ(Evaluate(board, game->ai), 22000.0f + 200.0f + 0.0f + 0.0f + 5.0f - 18.0f);
}

// ai-eval-kill: one row of 6. Human castle (0,0), Knight (2,0); AI Mage (3,0), castle (5,0).
TEST(Evaluate, KillingAnEnemyUnitRemovesItsWorth)
{
    auto game = StartFixture("ai-eval-kill.txt");
    TileMap& board = *game->board;
    // Before: material 2000 - 1500 -> 5000; threats: the Mage reaches (4,0) and the Knight from it: +1200
    //   (the Knight can only step to (1,0), with nothing in reach there); approach: Mage 1, castle 3: -12;
    //   vision 6
    EXPECT_FLOAT_EQ(Evaluate(board, game->ai), 5000.0f + 0.0f + 1200.0f + 0.0f + 6.0f - 12.0f);

    game->ai->ApplyAction(Act(AIActionKind::Attack, PieceAt(board, 3, 0), 2, 0));
    ASSERT_EQ(PieceAt(board, 2, 0), nullptr) << "100 damage kills a Knight";
    EXPECT_EQ(TeamWorth(board, game->player), 1100) << "the Knight's 400 is gone";
    EXPECT_EQ(TeamWorth(board, game->ai), 2000);
    // After: material 900 -> 9000 (+10 x 400); the way to the castle is open, the Mage reaches (1,0)
    //   next to it: threats 3 x 1000; approach to (0,0): Mage 3, castle 5: -24; vision 6
    EXPECT_FLOAT_EQ(Evaluate(board, game->ai), 9000.0f + 0.0f + 3000.0f + 0.0f + 6.0f - 24.0f);
}

// ai-eval-neutral: 6x2. Human castle (0,0), AI castle (5,0), neutral castle (2,1), AI Knight (4,1).
TEST(Evaluate, NeutralCastleIsAnEnemyOfBothSides)
{
    auto game = StartFixture("ai-eval-neutral.txt");
    // AI: material 1700 - 1100 -> 6000; castles +100 -100 +0 (neutral) = 0;
    //   threats: the Knight reaches (1,0) next to the human castle and (3,1) next to the neutral one:
    //   2 x 3 x 1000 = +6000; approach: the neutral castle (2,1) is nearest to both AI pieces:
    //   castle (5,0) 4, Knight 2: -18; vision: all 12 tiles
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai), 6000.0f + 0.0f + 6000.0f + 0.0f + 12.0f - 18.0f);
    // Human: material -6000; threats: the AI Knight's two castles count against it, the neutral one too:
    //   -6000; approach: castle (0,0) takes the neutral castle (2,1) at 3 over the AI's pieces at 5: -9;
    //   vision: everything but (5,1), 6 from its castle: 11
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->player), -6000.0f + 0.0f - 6000.0f + 0.0f + 11.0f - 9.0f);
}

// ai-eval-alone: one row of 12. AI Knight (3,0) and castle (4,0); a human Knight (11,0) out of their
// sight and no other castle, so set-up already decided the game (the board is still there to score).
TEST(Evaluate, WithNoEnemyInSightNothingIsApproached)
{
    auto game = StartFixture("ai-eval-alone.txt");
    ASSERT_FALSE(game->ai->CanSee(Tile(11, 0)));
    // material: AI 300 + 400 + 1000, human 0 + 400 -> 13000; castles +100; threats 0 (the Knight reaches
    // nothing next to the far Knight); approach 0: nobody to walk to; vision: tiles 0..9
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai), 13000.0f + 100.0f + 0.0f + 0.0f + 10.0f + 0.0f);
}

// One row of 14: AI castle (0,0) and Knight (1,0), the human castle (13,0). A wall on (9,0) cuts the
// way: the nearest enemy out of reach must never score better than the same enemy within reach.
TEST(Evaluate, AnEnemyOutOfReachNeverScoresBetterThanOneWithinReach)
{
    const std::string pieces = "\n3,0,0,1\n0,1,0,1\n3,13,0,0\n";
    std::string openPath = WriteTempFile("00000000000000\n" + pieces);
    std::string walledPath = WriteTempFile("00000000020000\n" + pieces);
    auto open = StartGame(openPath);
    auto walled = StartGame(walledPath);
    std::remove(openPath.c_str());
    std::remove(walledPath.c_str());
    float reachable = Evaluate(*open->board, open->ai);
    float outOfReach = Evaluate(*walled->board, walled->ai);
    EXPECT_LT(outOfReach, reachable);
    // Material, castles, threats, attacks and vision are the same on both boards: only the walk differs,
    // and on the open board it is 13 + 12 for the two AI pieces.
    EXPECT_FLOAT_EQ(reachable - outOfReach, 3.0f * (2.0f * unreachablePathCost - 25.0f));
}

// ai-eval-tie-*: row "00010". AI Knight (2,0) between human Knights (0,0) and (4,0), both 2 away; the way
// right crosses the cost-2 tile. The two files differ only in which human Knight comes first.
TEST(Evaluate, EnemyTiesGoToThePieceEarlierInChildOrder)
{
    // material: 700 - 800 -> -1000; threats: +800 - 400 - 400 = 0; vision 5.
    auto left = StartFixture("ai-eval-tie-left-first.txt");
    // (0,0) first: walking cost 2.
    EXPECT_FLOAT_EQ(Evaluate(*left->board, left->ai), -1000.0f + 5.0f - 6.0f);
    auto right = StartFixture("ai-eval-tie-right-first.txt");
    // (4,0) first: 2 for the rough tile + 1.
    EXPECT_FLOAT_EQ(Evaluate(*right->board, right->ai), -1000.0f + 5.0f - 9.0f);
}

// Evaluate reads the pieces in sight from the side's tiles as it finds them, rebuilds them at its end
// and changes nothing else, not even the other side's sight.
TEST(Evaluate, ReadsTheSightItIsGivenRebuildsItAfterwardsAndChangesNothingElse)
{
    auto game = StartFixture("ai-eval-open.txt");
    const BoardState before = CaptureState(*game->board);
    game->ai->visibleTiles.clear();
    // Nothing in sight: no threats, no enemies, nothing to approach.
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai), 5000.0f + 0.0f + 0.0f + 0.0f + 15.0f + 0.0f);
    EXPECT_EQ(game->ai->visibleTiles.size(), 15u);
    EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai), 5000.0f + 0.0f - 900.0f + 0.0f + 15.0f - 12.0f);
    ExpectSameState(before, CaptureState(*game->board), true);
}

// ai-eval-kill-factors: one row of 46; pairs 7 apart, so each AI attacker has exactly its one human target
// in range. Setting the attacker's hasMoved (and not hasAttacked) changes only the attacks term:
// 3 x factor x value, where the factor is 3 when the damage kills (damage >= health) and 1 otherwise.
TEST(Evaluate, AttackInReachCountsThreeTimesTheValueWhenItKillsAndOnceOtherwise)
{
    // Mage on Knight: 100 on 100, 3 x 3 x 400; Knight on Knight: 50 on 100, 3 x 1 x 400;
    // Knight on castle: a castle's health is 0, 3 x 3 x 1000.
    const std::pair<int, float> cases[] = {{2, 3600.0f}, {16, 1200.0f}, {44, 9000.0f}};
    auto game = StartFixture("ai-eval-kill-factors.txt");
    for (const auto& [attackerX, term] : cases) {
        Unit* attacker = PieceAt(*game->board, attackerX, 0);
        ASSERT_TRUE(attacker != nullptr && attacker->team == game->ai);
        const float base = Evaluate(*game->board, game->ai);
        attacker->hasMoved = true;
        EXPECT_FLOAT_EQ(Evaluate(*game->board, game->ai) - base, term)
            << PieceText(attacker) << " on " << PieceText(PieceAt(*game->board, attackerX + 1, 0));
        attacker->hasMoved = false;
    }
}

TEST(ThreatSet, ListsEachPieceOnceInCreationOrderAndCastlesThreatenNothing)
{
    auto game = StartFixture("ai-eval-open.txt");
    TileMap& board = *game->board;
    // The human castle is reachable from two tiles and the Knight from many; each is listed once,
    // the castle (created first) before the Knight.
    EXPECT_EQ(ThreatSet(PieceAt(board, 1, 1)), (std::vector<Unit*>{PieceAt(board, 0, 0), PieceAt(board, 3, 1)}));
    // The Knight threatens the AI castle and the Mage, its own castle never.
    EXPECT_EQ(ThreatSet(PieceAt(board, 3, 1)), (std::vector<Unit*>{PieceAt(board, 4, 2), PieceAt(board, 1, 1)}));
    EXPECT_TRUE(ThreatSet(PieceAt(board, 4, 2)).empty()) << "a castle never moves";
}

TEST(WalkingCost, OfTheFirstPathFoundOnTheTilesAlone)
{
    const std::tuple<const char*, int, int, int32_t> cases[] = {
        // (1,0) costs 999: down, along row 1 and up again.
        {"020\n000\n", 0, 2, 4},
        {"020\n020\n", 0, 2, unreachablePathCost},
        // A target that itself costs 999 is never entered.
        {"003\n", 0, 2, unreachablePathCost},
        // Row "10": the target tile counts, the start tile does not.
        {"10\n", 0, 1, 1},
        {"10\n", 1, 0, 2},
        // Straight along row 0 costs 2 + 2 + 2 + 1 = 7 in 4 steps; around by row 1 costs 6 in 6 steps.
        // The first-in-first-out search reaches (4,0) from (3,0) first.
        {"01110\n00000\n", 0, 4, 7},
    };
    for (const auto& [rows, fromX, toX, cost] : cases) {
        EXPECT_EQ(PathCostOn(rows, Tile(fromX, 0), Tile(toX, 0)), cost) << rows << " from " << fromX << " to " << toX;
    }
    // ai-eval-capture: Knights stand on (1,0) and (3,0), between the castles, and do not block the way.
    auto game = StartFixture("ai-eval-capture.txt");
    EXPECT_EQ(PathCost(*game->board, Tile(0, 0), Tile(4, 0)), 4);
}

// The searches keep one Evaluator for a whole turn while pieces move, die, are bought and are
// taken back; what it remembers (path costs, threat sets) must never change a score.
TEST(Evaluator, ALongLivedOneScoresLikeAFreshOneOverRandomPlayAndUndo)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (unsigned seed = 1; seed <= 6 && !HasFailure(); ++seed) {
            SCOPED_TRACE(std::string(map) + " seed " + std::to_string(seed));
            auto game = StartGame(GameDataPath(map), new HeldOpponent());
            TileMap& board = *game->board;
            game->player->gold = 1500;
            game->ai->gold = 1500;
            Evaluator kept(board);
            std::mt19937 random(seed);
            int compared = 0;
            for (int step = 0; step < 80 && !board.gameOver && !HasFailure(); ++step) {
                if (step % 5 == 4 && board.history.size() > 1) {
                    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
                } else {
                    PlayRandomAction(*game, random);
                }
                for (TeamController* side : board.teams) {
                    const float fresh = Evaluator(board).Evaluate(side);
                    EXPECT_EQ(kept.Evaluate(side), fresh) << "step " << step << ", side " << (side == board.teams[0] ? 0 : 1);
                    ++compared;
                }
            }
            EXPECT_GT(compared, 20);
        }
    }
}
}  // namespace
