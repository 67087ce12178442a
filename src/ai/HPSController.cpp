#include "ai/HPSController.h"

#include <algorithm>

#include "ai/Evaluator.h"
#include "ai/Heuristic.h"
#include "board/Rules.h"
#include "board/TileMap.h"
#include "board/Unit.h"

namespace {
AIAction PassFor(Unit* piece)
{
    return {AIActionKind::Pass, piece, {0, 0}, 0};
}

int32_t Nearest(const std::vector<Vector2>& enemies, Vector2 tile)
{
    return Heuristic::NearestEnemy(enemies, [tile](Vector2 enemy) { return TileDistance(enemy, tile); });
}
}  // namespace

Evaluator& HPSController::Queries() const
{
    Evaluator& queries = SearchEvaluator();
    if (!boardUnchanged) {
        // Between searches nothing remembered holds: the board may be another one by now.
        if (!thinking) {
            queries.Forget();
        }
        queries.Refresh();
    }
    return queries;
}

void HPSController::StartTurn()
{
    NotifyUnitsOfTurnStart();
    if (map == nullptr) {
        return;
    }
    bestPlan.clear();
    turnsScored = 0;
    copyBranches.clear();
    atNewNode = true;
    // NOTE: a board the copy cannot stand for (a piece off the board, of a side not on it) no game
    // reaches: the opponent then passes its turn.
    onCopy = map->SideOf(this) >= 0 && SearchBoard::Fits(*map);
    if (onCopy) {
        if (copy == nullptr) {
            copy = std::make_unique<SearchBoard>();
        }
        copy->Reset(*map, this);
    }
    BeginThinking(false);
}

bool HPSController::SearchStep()
{
    if (Advance()) {
        return true;
    }
    WriteSearchState();
    map->updateVisibility = true;
    plan = bestPlan;
    return false;
}

void HPSController::WriteSearchState()
{
    if (onCopy) {
        copy->WriteSight();
    }
}

bool HPSController::AdvanceOnCopy()
{
    SearchBoard& board = *copy;
    if (atNewNode) {
        atNewNode = false;
        const int32_t current = board.CurrentPiece();
        if (current < 0) {
            // A complete turn. The sight it leaves decides the next candidates.
            const float score = board.Score();
            ++turnsScored;
            if (score > bestScore || bestPlan.empty()) {
                bestPlan = board.Trials();
                bestScore = score;
            }
        } else {
            copyBranches.push_back({board.Candidates(current), 0});
        }
        return true;
    }
    while (!copyBranches.empty()) {
        CopyBranch& top = copyBranches.back();
        if (top.entered > 0) {
            board.TakeBack();  // the subtree of the candidate entered last is done
        }
        if (top.entered == 2) {
            copyBranches.pop_back();
            continue;
        }
        board.Apply(top.candidates[static_cast<size_t>(top.entered++)]);
        atNewNode = true;
        return true;
    }
    return false;
}

bool HPSController::Advance()
{
    return onCopy && AdvanceOnCopy();
}

std::vector<AIAction> HPSController::CandidateActions(Unit* piece) const
{
    std::array<AIAction, 2> pair = Candidates(piece);
    return {pair[0], pair[1]};
}

std::array<AIAction, 2> HPSController::Candidates(Unit* piece) const
{
    // The board stays as it is while both candidates are found: one refresh serves every query.
    Queries();
    boardUnchanged = true;
    std::array<AIAction, 2> pair = piece->isCastle ? std::array<AIAction, 2>{CastleHeuristicAction(piece), PassFor(piece)}
                                                   : UnitCandidates(piece);
    boardUnchanged = false;
    return pair;
}

std::array<AIAction, 2> HPSController::UnitCandidates(Unit* piece) const
{
    AIAction first = UnitHeuristicAction(piece);
    AIAction second = PassFor(piece);
    if (!piece->hasMoved) {
        const std::vector<Vector2>& reachable = Queries().Reachable(*piece);
        Vector2 tile = {0, 0};
        // With no enemy in sight there is nothing to walk toward: the piece passes.
        if (!reachable.empty() && NearestToEnemy(reachable, tile)) {
            second = {AIActionKind::Move, piece, tile, 0};
        }
    }
    return {first, second};
}

bool HPSController::NearestToEnemy(const std::vector<Vector2>& tiles, Vector2& chosen) const
{
    const std::vector<Vector2>& enemies = Queries().SeenEnemyTiles(this);
    return Heuristic::NearestTile(tiles, [&](Vector2 tile) { return Nearest(enemies, tile); }, chosen);
}

AIAction HPSController::UnitHeuristicAction(Unit* unit) const
{
    Evaluator& queries = Queries();
    if (unit->hasMoved) {
        // In the targets' order: equals go to the first listed.
        Unit* best = nullptr;
        Heuristic::MostValuable choice;
        uint64_t listed = 0;
        for (Vector2 tile : queries.AttackTargets(*unit)) {
            Unit* target = queries.PieceAt(tile);
            if (target != nullptr && choice.Offer(target->value, listed++)) {
                best = target;
            }
        }
        if (best == nullptr) {
            return PassFor(unit);
        }
        return {AIActionKind::Attack, unit, best->GetTile(), 0};
    }
    Unit* victim = nullptr;
    Heuristic::MostValuable choice;
    for (Unit* piece : queries.ThreatSet(*unit)) {
        if (choice.Offer(piece->value, piece->serial)) {
            victim = piece;
        }
    }
    if (victim == nullptr) {
        return PassFor(unit);
    }
    Vector2 victimTile = victim->GetTile();
    for (Vector2 tile : queries.Reachable(*unit)) {
        if (TileDistance(tile, victimTile) == 1) {
            return {AIActionKind::Move, unit, tile, 0};
        }
    }
    return PassFor(unit);
}

AIAction HPSController::CastleHeuristicAction(Unit* castle) const
{
    const TeamController* side = castle->team;
    const int32_t type = side != nullptr ? Rules::DearestAffordable(side->gold) : -1;
    // Who stands next to the castle, from the evaluator's grid of the pieces.
    Evaluator& queries = Queries();
    castle->SpawnTilesInto(spawnTiles, [&queries](Vector2 tile) { return queries.PieceAt(tile); });
    if (type < 0 || spawnTiles.empty()) {
        return PassFor(castle);
    }
    // With no enemy in sight the unit goes to the first free neighbour.
    Vector2 tile = spawnTiles.front();
    NearestToEnemy(spawnTiles, tile);
    return {AIActionKind::Buy, castle, tile, type};
}

int32_t HPSController::DistanceToNearestEnemy(const TeamController* side, Vector2 tile)
{
    if (side == nullptr || side->map == nullptr) {
        return Heuristic::noEnemyDistance;
    }
    Evaluator queries(*side->map);
    return Nearest(queries.SeenEnemyTiles(side), tile);
}

void HPSController::CountSearch(ThinkFigures& figures) const
{
    figures.positions = turnsScored;
    figures.bestScore = bestScore;
}
