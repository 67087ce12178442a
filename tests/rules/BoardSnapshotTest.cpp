#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "rules/PlayerController.h"
#include "support/TestGame.h"

namespace {
// Collects its income and then keeps the turn, so the test plays the AI side by hand.
class HeldOpponent : public AIController {
public:
    void StartTurn() override { NotifyUnitsOfTurnStart(); }
};

struct PieceState {
    Unit* unit;
    Vector2 position;
    TeamController* team;
    int32_t health;
    bool hasMoved;
    bool hasAttacked;
};

// Everything a restore promises to bring back, plus what it recomputes (vision).
struct BoardState {
    std::vector<Node*> children;
    std::vector<PieceState> pieces;
    std::vector<int32_t> gold;
    int32_t currentTeam = 0;
    std::vector<std::vector<Vector2>> vision;
};

BoardState Capture(const TileMap& board)
{
    BoardState state;
    state.children = board.children;
    for (Unit* unit : board.GetUnits()) {
        state.pieces.push_back({unit, unit->position, unit->team, unit->health, unit->hasMoved, unit->hasAttacked});
    }
    for (TeamController* team : board.teams) {
        state.gold.push_back(team->gold);
        state.vision.push_back(team->visibleTiles);
    }
    state.currentTeam = board.currentTeam;
    return state;
}

std::string Tile(Vector2 position)
{
    return "(" + std::to_string(static_cast<int>(position.x / 100.0f)) + ", " +
           std::to_string(static_cast<int>(position.y / 100.0f)) + ")";
}

// Names the first difference, so a failing random sequence says what went wrong.
std::string Difference(const BoardState& actual, const BoardState& expected)
{
    if (actual.currentTeam != expected.currentTeam) {
        return "currentTeam " + std::to_string(actual.currentTeam) + ", expected " +
               std::to_string(expected.currentTeam);
    }
    if (actual.gold != expected.gold) {
        return "gold " + std::to_string(actual.gold[0]) + "/" + std::to_string(actual.gold[1]) + ", expected " +
               std::to_string(expected.gold[0]) + "/" + std::to_string(expected.gold[1]);
    }
    if (actual.pieces.size() != expected.pieces.size()) {
        return std::to_string(actual.pieces.size()) + " pieces, expected " + std::to_string(expected.pieces.size());
    }
    for (size_t i = 0; i < actual.pieces.size(); ++i) {
        const PieceState& a = actual.pieces[i];
        const PieceState& e = expected.pieces[i];
        std::string name = "piece " + std::to_string(i) + " (type " + std::to_string(e.unit->type) + ", was at " +
                           Tile(e.position) + ")";
        if (a.unit != e.unit) {
            return name + ": a different piece in its place";
        }
        if (!SameTile(a.position, e.position)) {
            return name + ": at " + Tile(a.position);
        }
        if (a.team != e.team) {
            return name + ": other owner";
        }
        if (a.health != e.health) {
            return name + ": health " + std::to_string(a.health) + ", expected " + std::to_string(e.health);
        }
        if (a.hasMoved != e.hasMoved || a.hasAttacked != e.hasAttacked) {
            return name + ": flags " + std::to_string(a.hasMoved) + std::to_string(a.hasAttacked) + ", expected " +
                   std::to_string(e.hasMoved) + std::to_string(e.hasAttacked);
        }
    }
    if (actual.children != expected.children) {
        return "child order differs";
    }
    for (size_t side = 0; side < expected.vision.size(); ++side) {
        const auto& a = actual.vision[side];
        const auto& e = expected.vision[side];
        bool same = a.size() == e.size();
        for (size_t i = 0; same && i < a.size(); ++i) {
            same = SameTile(a[i], e[i]);
        }
        if (!same) {
            return "vision of side " + std::to_string(side) + " differs";
        }
    }
    return "";
}

// Pieces off the board are listed once and have no parent; nothing is both.
std::string RemovedUnitsProblem(const TileMap& board)
{
    std::set<Unit*> seen;
    for (Unit* unit : board.removedUnits) {
        if (!seen.insert(unit).second) {
            return "a piece is listed twice in removedUnits";
        }
        if (unit->parent != nullptr) {
            return "a piece in removedUnits is still on the board";
        }
    }
    return "";
}

// rules-duel.txt, in file order: human castles (0,0) and (0,5), AI castle (7,5),
// neutral castle (7,0), human Knight (6,0), AI Mage (4,2), human Knight (3,2), AI Knight (6,5).
constexpr size_t humanCastle = 0;
constexpr size_t mage = 5;
constexpr size_t knight = 6;
}  // namespace

TEST(Restore, UndoesAMove)
{
    auto game = StartGame(TestDataPath("rules-duel.txt"));
    TileMap& board = *game->board;
    Unit* unit = board.GetUnits()[knight];
    BoardState before = Capture(board);
    size_t entries = board.history.size();
    board.MoveUnit(unit, {2, 2});
    ASSERT_TRUE(unit->hasMoved);
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    EXPECT_FLOAT_EQ(unit->position.x, 300.0f);
    EXPECT_FLOAT_EQ(unit->position.y, 200.0f);
    EXPECT_FALSE(unit->hasMoved);
    EXPECT_FALSE(unit->hasAttacked);
    EXPECT_EQ(board.history.size(), entries) << "the restored entry is gone";
    EXPECT_EQ(Difference(Capture(board), before), "");
}

TEST(Restore, BringsAKilledUnitBackAtItsOldHealth)
{
    auto game = StartGame(TestDataPath("rules-duel.txt"));
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    Unit* victim = units[mage];
    board.AttackUnit(units[knight], victim->GetTile());
    ASSERT_EQ(victim->parent, nullptr);
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    EXPECT_EQ(victim->parent, &board);
    EXPECT_EQ(victim->health, 50);
    EXPECT_TRUE(board.removedUnits.empty());
    EXPECT_FALSE(units[knight]->hasAttacked);
    // The pieces end the child list in their recorded order.
    EXPECT_EQ(board.GetUnits(), units);
    std::vector<Node*> tail(board.children.end() - static_cast<long>(units.size()), board.children.end());
    EXPECT_EQ(tail, std::vector<Node*>(units.begin(), units.end()));
}

TEST(Restore, SendsABoughtUnitToRemovedUnitsAndRefundsTheGold)
{
    auto game = StartGame(TestDataPath("rules-duel.txt"));
    TileMap& board = *game->board;
    Unit* castle = board.GetUnits()[humanCastle];
    game->player->gold = 500;
    board.BuyUnit(castle, 0, {1, 0});
    auto* bought = dynamic_cast<Unit*>(board.children.back());
    ASSERT_NE(bought, nullptr);
    ASSERT_EQ(game->player->gold, 100);
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    EXPECT_EQ(game->player->gold, 500);
    EXPECT_FALSE(castle->hasAttacked) << "the castle can buy again";
    EXPECT_EQ(bought->parent, nullptr);
    EXPECT_EQ(board.removedUnits, std::vector<Unit*>{bought});
    EXPECT_EQ(board.GetUnitAt({1, 0}), nullptr);
}

TEST(Restore, EntryZeroIsTheStartBeforeTheFirstTurn)
{
    auto game = StartGame(TestDataPath("rules-duel.txt"));
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    board.MoveUnit(units[knight], {2, 2});
    board.EndTurn();
    board.AttackUnit(units[4], {7, 0});
    ASSERT_GT(board.history.size(), 3u);
    board.RestoreSnapshot(0);
    EXPECT_TRUE(board.history.empty());
    EXPECT_EQ(board.currentTeam, 1) << "the value before the first turn began";
    EXPECT_EQ(game->player->gold, 0) << "before the human's first income";
    EXPECT_EQ(game->ai->gold, 300);
    EXPECT_EQ(board.GetUnits(), units);
    EXPECT_FLOAT_EQ(units[knight]->position.x, 300.0f);
    EXPECT_EQ(board.GetUnits()[3]->team, nullptr) << "the neutral castle is neutral again";
    // Entry 0 was taken before the first reset of the flags: fresh pieces are spent.
    for (Unit* unit : units) {
        EXPECT_TRUE(unit->hasMoved && unit->hasAttacked) << "piece at " << Tile(unit->position);
    }
}

TEST(Restore, TwoRestoresUndoTheLastTwoActions)
{
    auto game = StartGame(TestDataPath("rules-duel.txt"));
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    BoardState start = Capture(board);
    board.MoveUnit(units[knight], {4, 1});
    BoardState afterMove = Capture(board);
    board.AttackUnit(units[knight], units[mage]->GetTile());
    ASSERT_EQ(units[mage]->parent, nullptr);

    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    EXPECT_EQ(Difference(Capture(board), afterMove), "") << "after the first restore";
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    EXPECT_EQ(Difference(Capture(board), start), "") << "after the second restore";
}

TEST(Restore, PiecesComeBackBehindTheOtherChildren)
{
    // The tutorial's labels follow the pieces; after a restore the pieces follow them.
    auto game = StartGame("", nullptr, true);
    TileMap& board = *game->board;
    std::vector<Unit*> units = board.GetUnits();
    std::vector<Node*> others;
    for (Node* child : board.children) {
        if (dynamic_cast<Unit*>(child) == nullptr) {
            others.push_back(child);
        }
    }
    ASSERT_EQ(others.size(), 3u + 12u);
    board.MoveUnit(units[0], {3, 3});
    board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
    std::vector<Node*> expected = others;
    expected.insert(expected.end(), units.begin(), units.end());
    EXPECT_EQ(board.children, expected);
}

TEST(Restore, KilledUnitReturnsInItsRecordedPlaceAmongThePieces)
{
    // The Mage is in the middle of the pieces; a later purchase must not come back.
    auto game = StartGame(TestDataPath("rules-duel.txt"));
    TileMap& board = *game->board;
    std::vector<Node*> before = board.children;
    std::vector<Unit*> units = board.GetUnits();
    board.AttackUnit(units[knight], units[mage]->GetTile());
    size_t killEntry = board.history.size() - 1;
    game->player->gold = 400;
    board.BuyUnit(units[humanCastle], 0, {1, 0});
    board.RestoreSnapshot(static_cast<int32_t>(killEntry));
    EXPECT_EQ(board.children, before);
    EXPECT_EQ(board.history.size(), killEntry);
    EXPECT_EQ(board.removedUnits.size(), 1u) << "only the bought Knight is off the board";
}

namespace {
// A move, attack or purchase of one piece, or the end of the turn.
struct Action {
    enum Kind { Move, Attack, Buy, EndTurn } kind;
    Unit* unit = nullptr;
    Vector2 tile = {0, 0};
    int32_t unitType = 0;
};

// The legal actions of one piece of the side to move.
std::vector<Action> ActionsOf(Unit* unit)
{
    std::vector<Action> actions;
    if (unit->hasAttacked) {
        return actions;  // finished for the turn (a castle: bought this turn)
    }
    if (dynamic_cast<Castle*>(unit) != nullptr) {
        const TeamController* side = unit->team;
        for (int32_t type = 0; type < 3; ++type) {
            if (side->gold < TypeInfo(type).cost) {
                continue;
            }
            for (Vector2 tile : unit->GetSpawnTiles()) {
                actions.push_back({Action::Buy, unit, tile, type});
            }
        }
        return actions;
    }
    for (Vector2 tile : unit->GetAttackTargets(unit->GetTile())) {
        actions.push_back({Action::Attack, unit, tile});
    }
    if (!unit->hasMoved) {
        for (Vector2 tile : unit->GetReachableTiles()) {
            actions.push_back({Action::Move, unit, tile});
        }
    }
    return actions;
}

float DistanceToNearestEnemy(const TileMap& board, const Unit* unit, Vector2 tile)
{
    float best = 1e9f;
    for (Unit* other : board.GetUnits()) {
        if (other->team != unit->team) {
            Vector2 t = other->GetTile();
            best = std::min(best, std::fabs(t.x - tile.x) + std::fabs(t.y - tile.y));
        }
    }
    return best;
}

// A random legal action of the side to move. Left to chance alone the pieces of a
// shipped map rarely meet within 60 actions, so attacks are preferred when there are
// any and half of the moves head for the nearest enemy; the turn ends about one time
// in eight, or when nothing is left to do.
Action PickAction(const TileMap& board, std::mt19937& random)
{
    auto chance = [&](int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(random) == 1; };
    if (chance(8)) {
        return {Action::EndTurn};
    }
    std::vector<Unit*> pieces = board.GetUnitsOf(board.teams[static_cast<size_t>(board.currentTeam)]);
    std::vector<Action> attacks;
    for (Unit* unit : pieces) {
        if (!unit->hasAttacked && dynamic_cast<Castle*>(unit) == nullptr) {
            for (Vector2 tile : unit->GetAttackTargets(unit->GetTile())) {
                attacks.push_back({Action::Attack, unit, tile});
            }
        }
    }
    if (!attacks.empty() && !chance(4)) {
        return attacks[std::uniform_int_distribution<size_t>(0, attacks.size() - 1)(random)];
    }
    std::shuffle(pieces.begin(), pieces.end(), random);
    for (Unit* unit : pieces) {
        std::vector<Action> actions = ActionsOf(unit);
        if (actions.empty()) {
            continue;
        }
        Action pick = actions[std::uniform_int_distribution<size_t>(0, actions.size() - 1)(random)];
        if (pick.kind == Action::Move && chance(2)) {
            for (const Action& a : actions) {
                if (a.kind == Action::Move && DistanceToNearestEnemy(board, unit, a.tile) <
                                                  DistanceToNearestEnemy(board, unit, pick.tile)) {
                    pick = a;
                }
            }
        }
        return pick;
    }
    return {Action::EndTurn};
}

void Apply(TileMap& board, const Action& action)
{
    switch (action.kind) {
    case Action::Move:
        board.MoveUnit(action.unit, action.tile);
        break;
    case Action::Attack:
        board.AttackUnit(action.unit, action.tile);
        break;
    case Action::Buy:
        board.BuyUnit(action.unit, action.unitType, action.tile);
        break;
    case Action::EndTurn:
        board.EndTurn();
        break;
    }
}
}  // namespace

namespace {
// Plays `steps` random legal actions of whichever side is to move on a shipped map, then
// undoes them one by one: each restore must give back exactly the state before that action.
void PlayAndUndo(const char* map, unsigned seed, int steps, bool vision)
{
    SCOPED_TRACE(std::string(map) + " seed " + std::to_string(seed));
    auto game = StartGame(GameDataPath(map), new HeldOpponent());
    TileMap& board = *game->board;
    board.updateVisibility = vision;
    std::mt19937 random(seed);
    // A richer purse makes purchases, and so units that come and go, common.
    game->player->gold = 1500;
    game->ai->gold = 1500;
    const size_t startEntries = board.history.size();

    // The state before each action, with the history length it had.
    std::vector<BoardState> states;
    std::vector<size_t> lengths;
    for (int step = 0; step < steps && !board.gameOver; ++step) {
        Action action = PickAction(board, random);
        states.push_back(Capture(board));
        lengths.push_back(board.history.size());
        Apply(board, action);
        ASSERT_EQ(board.history.size(), lengths.back() + 1) << "step " << step << " kind " << action.kind;
        ASSERT_EQ(RemovedUnitsProblem(board), "") << "step " << step;
    }
    while (board.history.size() > startEntries) {
        board.RestoreSnapshot(static_cast<int32_t>(board.history.size()) - 1);
        ASSERT_EQ(board.history.size(), lengths.back());
        ASSERT_EQ(Difference(Capture(board), states.back()), "") << "undoing step " << states.size() - 1;
        ASSERT_EQ(RemovedUnitsProblem(board), "");
        states.pop_back();
        lengths.pop_back();
    }
    EXPECT_TRUE(states.empty());
}
}  // namespace

// As the searches run it: vision off, many sequences.
TEST(RestoreProperty, UndoingEveryActionWalksBackThroughEveryEarlierState)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (unsigned seed = 1; seed <= 25; ++seed) {
            PlayAndUndo(map, seed, 60, false);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

// As the undo key runs it: vision on, which every restore must recompute as it was.
TEST(RestoreProperty, UndoWithVisionOnRestoresWhatEachSideSaw)
{
    for (const char* map : {"Map1.txt", "Map2.txt"}) {
        for (unsigned seed = 101; seed <= 102; ++seed) {
            PlayAndUndo(map, seed, 60, true);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}
