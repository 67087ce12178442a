#include "ai/AiFixtures.h"
#include "board/Duel.h"

namespace {
TEST(Restore, EntryZeroIsTheStartBeforeTheFirstTurn)
{
    Duel duel;
    duel.board.MoveUnit(duel.knight, {2, 2});
    duel.board.EndTurn();
    duel.board.AttackUnit(duel.castleKnight, {7, 0});
    duel.board.RestoreSnapshot(0);
    EXPECT_TRUE(duel.board.history.empty());
    EXPECT_EQ(duel.board.currentTeam, 1) << "the value before the first turn began";
    EXPECT_EQ(duel.human.gold, 0) << "before the human's first income";
    EXPECT_EQ(duel.board.GetUnits(), duel.units);
    EXPECT_EQ(PieceText(duel.knight), "Knight(3,2)");
    EXPECT_EQ(duel.neutralCastle->team, nullptr) << "the neutral castle is neutral again";
    for (Unit* unit : duel.units) {
        EXPECT_TRUE(unit->hasMoved && unit->hasAttacked) << "entry 0 precedes the first reset of the flags";
    }
}

// The tutorial's labels follow the pieces; after a restore the pieces follow them.
TEST(Restore, PiecesComeBackBehindTheOtherChildren)
{
    auto game = StartGame("", nullptr, true);
    TileMap& board = *game->board;
    std::vector<Node*> expected;
    std::copy_if(board.children.begin(), board.children.end(), std::back_inserter(expected),
                 [](Node* child) { return dynamic_cast<Unit*>(child) == nullptr; });
    ASSERT_EQ(expected.size(), 3u + 12u);
    const std::vector<Unit*> units = board.GetUnits();
    expected.insert(expected.end(), units.begin(), units.end());
    board.MoveUnit(units[0], {3, 3});
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    EXPECT_EQ(board.children, expected);
}

// Pieces off the board are listed once and have no parent; nothing is both.
void ExpectRemovedUnitsSound(const TileMap& board)
{
    std::set<Unit*> seen;
    for (Unit* unit : board.removedUnits) {
        EXPECT_TRUE(seen.insert(unit).second) << "a piece is listed twice in removedUnits";
        EXPECT_EQ(unit->parent, nullptr) << "a piece in removedUnits is still on the board";
    }
}

// Plays random legal actions of whichever side is to move on a shipped map (a rich purse makes
// purchases, and so units that come and go, common), then undoes them one by one: each restore must
// give back exactly the state before that action. As the searches run it (vision off, many
// sequences) and as the undo key runs it (vision on, which every restore must recompute as it was).
TEST(RestoreProperty, UndoingEveryActionWalksBackThroughEveryEarlierState)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (unsigned seed = 1; seed <= 27 && !HasFailure(); ++seed) {
            SCOPED_TRACE(std::string(map) + " seed " + std::to_string(seed));
            auto game = StartGame(GameDataPath(map), new HeldOpponent());
            TileMap& board = *game->board;
            board.updateVisibility = seed > 25;
            std::mt19937 random(seed);
            game->player->gold = 1500;
            game->ai->gold = 1500;
            std::vector<BoardState> states;  // before each action
            for (int step = 0; step < 60 && !board.gameOver; ++step) {
                states.push_back(CaptureState(board));
                const size_t history = board.history.size();
                aitest::PlayRandomAction(*game, random);
                ASSERT_EQ(board.history.size(), history + 1) << "step " << step;
                ExpectRemovedUnitsSound(board);
            }
            for (; !states.empty() && !HasFailure(); states.pop_back()) {
                board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
                SCOPED_TRACE("undoing step " + std::to_string(states.size() - 1));
                ExpectSameState(states.back(), CaptureState(board), true);
                ExpectRemovedUnitsSound(board);
            }
        }
    }
}
}  // namespace
