#include "ai/AiFixtures.h"
#include "board/Duel.h"

using namespace aitest;

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

// Pieces off the board are listed once and have no parent; nothing is both.
void ExpectRemovedUnitsSound(const TileMap& board)
{
    std::set<Unit*> seen;
    for (Unit* unit : board.removedUnits) {
        EXPECT_TRUE(seen.insert(unit).second) << "a piece is listed twice in removedUnits";
        EXPECT_EQ(unit->parent, nullptr) << "a piece in removedUnits is still on the board";
    }
}

// Plays one random legal action of the side to move, as the opponents' generator offers them,
// or ends the turn. Left to chance alone the pieces of a shipped map rarely meet, so attacks are
// preferred when there are any and half of the moves head for the nearest enemy in sight; the
// turn ends about one time in eight, or when nothing is left to do.
void PlayRandomAction(TestGame& game, std::mt19937& random)
{
    TileMap& board = *game.board;
    auto chance = [&](int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(random) == 1; };
    auto any = [&](const std::vector<AIAction>& list) {
        return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)];
    };
    const TeamController* side = board.teams[static_cast<size_t>(board.currentTeam)];
    std::vector<AIAction> attacks, others;
    for (Unit* unit : board.GetUnitsOf(side)) {
        for (const AIAction& action : MinimaxController().GenerateActions(side, unit)) {
            (action.kind == Attack ? attacks : others).push_back(action);
        }
    }
    if (chance(8) || (attacks.empty() && others.empty())) {
        board.EndTurn();
        return;
    }
    AIAction pick = !attacks.empty() && (others.empty() || !chance(4)) ? any(attacks) : any(others);
    // Moves toward the nearest piece of another owner are favoured, so that pieces meet and fall.
    auto enemyDistance = [&](Vector2 tile) {
        float nearest = 1e9f;
        for (Unit* piece : board.Units()) {
            const Vector2 at = piece->GetTile();
            nearest = piece->team != side ? std::min(nearest, std::fabs(at.x - tile.x) + std::fabs(at.y - tile.y)) : nearest;
        }
        return nearest;
    };
    for (const AIAction& other : others) {
        if (pick.kind == Move && other.kind == Move && other.unit == pick.unit && chance(2) &&
            enemyDistance(other.tile) < enemyDistance(pick.tile)) {
            pick = other;
        }
    }
    game.ai->ApplyAction(pick);
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
                PlayRandomAction(*game, random);
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
