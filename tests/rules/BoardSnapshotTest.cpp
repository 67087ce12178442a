#include <climits>
#include <random>
#include <set>

#include "ai/Evaluation.h"
#include "ai/MinimaxController.h"
#include "rules/Duel.h"

namespace {
// Pieces off the board are listed once and have no parent; nothing is both.
void ExpectRemovedUnitsSound(const TileMap& board)
{
    std::set<Unit*> seen;
    for (Unit* unit : board.removedUnits) {
        EXPECT_TRUE(seen.insert(unit).second) << "a piece is listed twice in removedUnits";
        EXPECT_EQ(unit->parent, nullptr) << "a piece in removedUnits is still on the board";
    }
}

TEST(Restore, SendsABoughtUnitToRemovedUnitsAndRefundsTheGold)
{
    Duel duel;
    duel.human.gold = 500;
    duel.board.BuyUnit(duel.humanCastle, 0, {1, 0});
    Unit* bought = duel.board.GetUnits().back();
    ASSERT_EQ(duel.human.gold, 100);
    duel.board.RestoreSnapshot(static_cast<int32_t>(duel.board.history.size()) - 1);
    EXPECT_EQ(duel.human.gold, 500);
    EXPECT_FALSE(duel.humanCastle->hasAttacked) << "the castle can buy again";
    EXPECT_EQ(bought->parent, nullptr);
    EXPECT_EQ(duel.board.removedUnits, std::vector<Unit*>{bought});
    EXPECT_EQ(duel.board.GetUnitAt({1, 0}), nullptr);
}

TEST(Restore, EntryZeroIsTheStartBeforeTheFirstTurn)
{
    Duel duel;
    duel.board.MoveUnit(duel.knight, {2, 2});
    duel.board.EndTurn();
    duel.board.AttackUnit(duel.castleKnight, {7, 0});
    ASSERT_GT(duel.board.history.size(), 3u);
    duel.board.RestoreSnapshot(0);
    EXPECT_TRUE(duel.board.history.empty());
    EXPECT_EQ(duel.board.currentTeam, 1) << "the value before the first turn began";
    EXPECT_EQ(duel.human.gold, 0) << "before the human's first income";
    EXPECT_EQ(duel.ai.gold, 300);
    EXPECT_EQ(duel.board.GetUnits(), duel.units);
    EXPECT_FLOAT_EQ(duel.knight->position.x, 300.0f);
    EXPECT_EQ(duel.neutralCastle->team, nullptr) << "the neutral castle is neutral again";
    // Entry 0 was taken before the first reset of the flags: fresh pieces are spent.
    for (Unit* unit : duel.units) {
        EXPECT_TRUE(unit->hasMoved && unit->hasAttacked) << "piece at " << TileText(unit->GetTile());
    }
}

TEST(Restore, PiecesComeBackBehindTheOtherChildren)
{
    // The tutorial's labels follow the pieces; after a restore the pieces follow them.
    auto game = StartGame("", nullptr, true);
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    std::vector<Node*> expected;
    for (Node* child : board.children) {
        if (dynamic_cast<Unit*>(child) == nullptr) {
            expected.push_back(child);
        }
    }
    ASSERT_EQ(expected.size(), 3u + 12u);
    expected.insert(expected.end(), units.begin(), units.end());
    board.MoveUnit(units[0], {3, 3});
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    EXPECT_EQ(board.children, expected);
}

// A random legal action of the side to move, as the opponents' generator offers them, or an
// action without actor for the end of the turn. Left to chance alone the pieces of a shipped map
// rarely meet within 60 actions, so attacks are preferred when there are any and half of the
// moves head for the nearest enemy; the turn ends about one time in eight, or when nothing is
// left to do.
AIAction PickAction(const TileMap& board, std::mt19937& random)
{
    auto chance = [&](int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(random) == 1; };
    auto any = [&](const std::vector<AIAction>& list) {
        return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)];
    };
    const TeamController* side = board.teams[static_cast<size_t>(board.currentTeam)];
    std::vector<AIAction> attacks;
    std::vector<AIAction> others;
    for (Unit* unit : board.GetUnitsOf(side)) {
        for (const AIAction& action : MinimaxController().GenerateActions(side, unit)) {
            (action.kind == AIActionKind::Attack ? attacks : others).push_back(action);
        }
    }
    if (chance(8) || (attacks.empty() && others.empty())) {
        return {};
    }
    if (!attacks.empty() && (others.empty() || !chance(4))) {
        return any(attacks);
    }
    AIAction pick = any(others);
    auto enemyDistance = [&](Vector2 tile) {
        int best = INT_MAX;
        for (Unit* other : board.GetUnits()) {
            best = other->team != side ? std::min(best, TileDistance(other->GetTile(), tile)) : best;
        }
        return best;
    };
    for (const AIAction& other : others) {
        if (pick.kind == AIActionKind::Move && other.kind == AIActionKind::Move && other.unit == pick.unit &&
            chance(2) && enemyDistance(other.tile) < enemyDistance(pick.tile)) {
            pick = other;
        }
    }
    return pick;
}

// Plays `steps` random legal actions of whichever side is to move on a shipped map, then
// undoes them one by one: each restore must give back exactly the state before that action.
void PlayAndUndo(const char* map, unsigned seed, bool vision)
{
    SCOPED_TRACE(std::string(map) + " seed " + std::to_string(seed));
    auto game = StartGame(GameDataPath(map), new HeldOpponent());
    TileMap& board = *game->board;
    board.updateVisibility = vision;
    std::mt19937 random(seed);
    // A richer purse makes purchases, and so units that come and go, common.
    game->player->gold = 1500;
    game->ai->gold = 1500;

    std::vector<BoardState> states;  // before each action
    for (int step = 0; step < 60 && !board.gameOver; ++step) {
        AIAction action = PickAction(board, random);
        states.push_back(CaptureState(board));
        if (action.unit == nullptr) {
            board.EndTurn();
        } else {
            game->ai->ApplyAction(action);
        }
        ASSERT_EQ(board.history.size(), states.back().historyLength + 1) << "step " << step;
        ExpectRemovedUnitsSound(board);
    }
    for (; !states.empty() && !testing::Test::HasFailure(); states.pop_back()) {
        board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
        SCOPED_TRACE("undoing step " + std::to_string(states.size() - 1));
        ExpectSameState(states.back(), CaptureState(board), true);
        ExpectRemovedUnitsSound(board);
    }
}

// As the searches run it: vision off, many sequences.
TEST(RestoreProperty, UndoingEveryActionWalksBackThroughEveryEarlierState)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (unsigned seed = 1; seed <= 25 && !HasFailure(); ++seed) {
            PlayAndUndo(map, seed, false);
        }
    }
}

// As the undo key runs it: vision on, which every restore must recompute as it was.
TEST(RestoreProperty, UndoWithVisionOnRestoresWhatEachSideSaw)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (unsigned seed = 101; seed <= 102 && !HasFailure(); ++seed) {
            PlayAndUndo(map, seed, true);
        }
    }
}
}  // namespace
