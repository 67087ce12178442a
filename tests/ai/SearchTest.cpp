#include "ai/AiFixtures.h"

using namespace aitest;

// Both searches try every action on the live board and take it back. Whatever they tried (kills,
// captures, purchases), the board must come out exactly as it went in, plus the turn's income, with
// the wear it had: a human unit one hit from death and an AI unit that moved but has not attacked;
// what they bought is freed rather than piled up among the fallen, and the human's sight is untouched.
// ai-actions: two AI castles; the human Knight (1,1) and both human castles are in reach.
// ai-generate: the castle's first candidate is the Mage buy; the Mage (2,0) keeps its attack step.
TEST(Searches, LeaveTheBoardAsTheyFoundIt)
{
    const std::tuple<const char*, bool, int32_t, std::array<int, 4>> cases[] = {
        {"ai-actions.txt", false, 1000, {1, 1, 3, 1}},  // the wounded piece's tile, the spent one's
        {"ai-generate.txt", true, 700, {6, 2, 2, 0}},
    };
    for (const auto& [map, hps, gold, wear] : cases) {
        SCOPED_TRACE(map);
        auto game = StartFixture(map, NewOpponent(hps));
        TileMap& board = *game->board;
        board.currentTeam = 1;
        game->ai->gold = gold;
        PieceAt(board, wear[0], wear[1])->health = 50;
        PieceAt(board, wear[2], wear[3])->hasMoved = true;
        BoardState expected = CaptureState(board);
        for (const Castle* castle : board.GetCastles()) {
            expected.gold[1] += castle->team == game->ai ? 100 : 0;
        }
        const uint64_t serialBefore = Unit(nullptr, TypeInfo(0)).serial;
        game->ai->StartTurn();
        game->ai->FinishThinking();
        ASSERT_FALSE(game->ai->plan.empty());
        EXPECT_GT(Unit(nullptr, TypeInfo(0)).serial, serialBefore + 1) << "the search was meant to try a purchase";
        EXPECT_TRUE(board.removedUnits.empty()) << "pieces bought by the search stayed allocated";
        ExpectSameState(expected, CaptureState(board));
        EXPECT_EQ(TilesText(game->player->visibleTiles), TilesText(expected.sight[0])) << "the human's sight";
        EXPECT_TRUE(board.updateVisibility);
    }
}

// ai-minimax-pocket: the AI Knight (0,0) is shut in a two-tile pocket {(0,0), (1,0)} by walls; castles at
// (4,0) (AI) and (4,2) (human). From either tile the human castle cannot be walked to, nothing can be
// attacked and all 15 tiles stay in sight: moving scores exactly what staying scores, and both searches
// keep the turn found first, the Pass.
// ai-boxed-archer: the walled-in Archer's only first step is Pass, which leaves it a target, so its second
// step offers attacks and nothing else; killing the Mage (5,0) takes 700 off the human side (+7000) where
// wounding the Knight (3,0) changes no term the Archer's side can see.
// The two-candidate search scores two candidates per step: 2^2 and 2^3 complete turns.
TEST(Searches, TiesKeepThePassAndAUnitThatPassesWithATargetMustAttack)
{
    const std::tuple<const char*, std::vector<std::string>, int> cases[] = {
        {"ai-minimax-pocket.txt", {"Castle(4,0) Pass", "Knight(0,0) Pass"}, 4},
        {"ai-boxed-archer.txt", {"Archer(0,0) Pass", "Archer(0,0) Attack (5,0)", "Castle(7,0) Pass"}, 8},
    };
    for (const auto& [map, plan, hpsTurns] : cases) {
        for (bool hps : {false, true}) {
            SCOPED_TRACE(std::string(map) + (hps ? " hps" : " minimax"));
            auto game = StartFixture(map, NewOpponent(hps));
            game->ai->gold = 0;  // 100 after income: the castle can buy nothing
            game->board->EndTurn();
            game->ai->FinishThinking();
            EXPECT_EQ(ActionTexts(game->ai->plan), plan);
            EXPECT_EQ(hps ? static_cast<HPSController*>(game->ai)->turnsScored : hpsTurns, hpsTurns);
        }
    }
    // The tie is real: the two trial actions score the same.
    auto game = StartFixture("ai-minimax-pocket.txt", new MinimaxController());
    Unit* knight = PieceAt(*game->board, 0, 0);
    float scores[2];
    for (int i = 0; i < 2; ++i) {
        game->board->updateVisibility = false;
        game->ai->ApplyAction(i == 0 ? Act(AIActionKind::Pass, knight) : Act(AIActionKind::Move, knight, 1, 0));
        scores[i] = Evaluate(*game->board, game->ai);
        game->board->RestoreSnapshot(static_cast<int32_t>(game->board->history.size()) - 1);
        game->board->updateVisibility = true;
        game->ai->UpdateVision();
    }
    EXPECT_EQ(scores[0], scores[1]) << "not a tie any more";
}

// ai-hps-steps: one row of 16. AI Knights (3,0), (2,0), (1,0) and castle (0,0); the human castle (15,0)
// is out of every reach, so each first action finishes its piece: 2^4 complete turns. A score left from
// an earlier search must not block the first complete turn of the next one.
TEST(HpsSearch, ScoresTwoToTheNumberOfStepsTurnsWhateverScoreWasLeftBefore)
{
    auto fresh = StartFixture("ai-hps-steps.txt", new HPSController());
    auto stale = StartFixture("ai-hps-steps.txt", new HPSController());
    static_cast<HPSController*>(stale->ai)->bestScore = 1e30f;
    fresh->board->EndTurn();
    fresh->ai->FinishThinking();
    stale->board->EndTurn();
    stale->ai->FinishThinking();
    EXPECT_EQ(static_cast<HPSController*>(fresh->ai)->turnsScored, 16);
    EXPECT_EQ(fresh->ai->plan.size(), 4u) << "one action per piece";
    EXPECT_EQ(ActionTexts(stale->ai->plan), ActionTexts(fresh->ai->plan));
}

// ai-hps-threats: from (3,0) both human Knights are 3 away; the human castle (6,2) is 5. Only pieces
// in sight count.
TEST(HpsCandidates, DistanceToNearestEnemyCountsOnlyPiecesInSight)
{
    auto game = StartFixture("ai-hps-threats.txt", new HPSController());
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(3, 0)), 3);
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(6, 1)), 1);
    game->ai->visibleTiles.clear();
    EXPECT_EQ(HPSController::DistanceToNearestEnemy(game->ai, Tile(3, 0)), 9999999);
}
