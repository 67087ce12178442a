#include "board/Duel.h"
#include "board/GameData.h"

namespace {
AIController* Opponent(const char* name)
{
    auto* ai = new AIController();
    ai->name = name;
    return ai;
}

// The actions (move, attack, purchase) are checked through the opponents' ApplyAction.
TEST(TurnCycle, EndTurnClearsEveryFlagAndPaysIncomeForOwnedCastlesAtTheOwnersTurnStart)
{
    Duel duel(new HeldOpponent());
    EXPECT_EQ(duel.human.gold, 200) << "two castles at the human's first turn start";
    duel.board.AttackUnit(duel.castleKnight, duel.neutralCastle->GetTile());
    EXPECT_EQ(duel.human.gold, 200) << "a capture pays nothing at once";
    for (int turn = 0; turn < 2; ++turn) {
        for (Unit* unit : duel.units) {
            unit->hasMoved = unit->hasAttacked = true;
        }
        duel.board.EndTurn();
        for (Unit* unit : duel.units) {
            EXPECT_FALSE(unit->hasMoved || unit->hasAttacked) << PieceText(unit) << " after turn " << turn;
        }
    }
    EXPECT_EQ(duel.ai.gold, 400) << "its head start of 300 and one castle";
    EXPECT_EQ(duel.human.gold, 500) << "three castles now";
}

// Castle owners in board order (Neutral, Human, AI) and the result code the check gives. Neutral
// castles before the first owned one are passed over; any other owner after it, neutral included,
// leaves the game open. No owner at all decides it without a winner, which scores as "1" like a
// human win. The same rule decides at set-up: a board without castles or with only the AI's.
TEST(Victory, DecidedByTheCastleWalkAtTheEndOfATurnOnceAndForAll)
{
    const std::pair<const char*, const char*> cases[] = {
        {"NNHH", "a11"}, {"NAAA", "a01"}, {"HNHH", ""}, {"AAAN", ""}, {"NNNN", "a11"},
    };
    GameData::Get().mapIndex = 0;
    for (const auto& [owners, result] : cases) {
        auto game = StartGame("rules-castle-row.txt", Opponent("a"));
        ASSERT_FALSE(game->board->gameOver) << "the fixture starts undecided";
        std::vector<Castle*> castles = game->board->GetCastles();
        for (size_t i = 0; i < 4; ++i) {
            castles.at(i)->team = owners[i] == 'N' ? nullptr : game->board->teams[owners[i] == 'H' ? 0 : 1];
        }
        game->board->CheckVictory();
        EXPECT_EQ(game->root.resultCode, result) << owners;
    }
    auto game = StartGame("rules-no-castles.txt", Opponent("a"));
    EXPECT_EQ(game->root.resultCode, "a11");
    EXPECT_EQ(game->board->currentTeam, 1) << "the first end of turn stopped before passing the turn";
    EXPECT_EQ(game->player->gold, 0) << "the human's turn never started";
    GameData::Get().mapIndex = 1;
    EXPECT_EQ(StartGame("rules-ai-castles.txt", Opponent("b"))->root.resultCode, "b02");
    // Holding every castle wins only at the end of the turn. A scored forfeit appends its group once,
    // no AI turn follows a decision, and the board stays decided whatever happens after.
    // rules-last-castle: human castle (0,0), AI castle (4,2), human Knight (3,2) beside it.
    GameData::Get().mapIndex = 0;
    game = StartGame("rules-last-castle.txt", Opponent("a"));
    game->board->AttackUnit(game->board->GetUnitAt({3, 2}), {4, 2});
    EXPECT_FALSE(game->board->gameOver) << "holding every castle is not yet a win";
    game->board->EndTurn();
    EXPECT_EQ(game->root.resultCode, "a11");
    Duel duel(Opponent("a"));
    duel.game->root.resultCode = "b11";  // an earlier scored game
    GameData::Get().mapIndex = 1;
    for (int time = 0; time < 2; ++time) {
        duel.human.Receive(1);
        EXPECT_EQ(duel.game->root.resultCode, "b11a02") << "a result group is appended at most once";
        EXPECT_EQ(duel.ai.gold, 300) << "the AI's turn never started";
        // Even a position the human would now win changes nothing once decided.
        duel.board.forfeited = false;
        for (Castle* castle : duel.board.GetCastles()) {
            castle->team = &duel.human;
        }
        duel.board.CheckVictory();
    }
}

// Sight is the diamond of five steps around each own piece, without kind 3 tiles, and every castle.
TEST(Vision, CoversTheSightDiamondAndEveryCastle)
{
    auto game = StartGame("board-open-11.txt");
    TileMap& board = *game->board;
    board.tiles[0][1] = tileTypeTable[3];
    Unit* ours = board.SpawnUnit(0, {0, 0}, game->player);
    Unit* far = board.SpawnUnit(3, {10, 10}, game->ai);
    Unit* neutral = board.SpawnUnit(3, {10, 0}, nullptr);
    std::vector<Vector2> expected = {{10, 10}, {10, 0}};
    for (int x = 0; x <= 5; ++x) {
        for (int y = 0; x + y <= 5; ++y) {
            if (x != 1 || y != 0) {
                expected.push_back({static_cast<float>(x), static_cast<float>(y)});
            }
        }
    }
    EXPECT_EQ(TilesText(game->player->visibleTiles, true), TilesText(expected, true));
    EXPECT_EQ(board.GetUnitsSeenBy(game->player), (std::vector<Unit*>{ours, far, neutral})) << "in child order";
}
}  // namespace
