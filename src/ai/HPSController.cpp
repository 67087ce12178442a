#include "ai/HPSController.h"

#include "ai/Evaluation.h"
#include "board/TileMap.h"
#include "board/Unit.h"

namespace {
constexpr int32_t noEnemyDistance = 9999999;
constexpr int32_t startDistance = 99999;

AIAction PassFor(Unit* piece)
{
    return {AIActionKind::Pass, piece, {0, 0}, 0};
}

// The first tile, in list order, with the strictly smallest distance to an enemy
// of `side`; false when no tile has an enemy in sight.
bool NearestToEnemy(const TeamController* side, const std::vector<Vector2>& tiles, Vector2& chosen)
{
    int32_t best = startDistance;
    bool found = false;
    for (Vector2 tile : tiles) {
        int32_t distance = HPSController::DistanceToNearestEnemy(side, tile);
        if (distance < best) {
            best = distance;
            chosen = tile;
            found = true;
        }
    }
    return found;
}
}  // namespace

void HPSController::StartTurn()
{
    NotifyUnitsOfTurnStart();
    if (map == nullptr) {
        return;
    }
    bestPlan.clear();
    turnsScored = 0;
    map->updateVisibility = false;
    SearchTurn({});
    map->updateVisibility = true;
    executingPlan = true;
    plan = bestPlan;
}

void HPSController::SearchTurn(std::vector<AIAction> sequence)
{
    Unit* current = nullptr;
    for (Unit* piece : map->GetUnitsOf(this)) {
        if (!piece->hasAttacked) {
            current = piece;
            break;
        }
    }
    if (current == nullptr) {
        float score = Evaluate(*map, this);
        ++turnsScored;
        if (score > bestScore || bestPlan.empty()) {
            bestPlan = sequence;
            bestScore = score;
        }
        return;
    }
    for (const AIAction& action : CandidateActions(current)) {
        ApplyAction(action);
        std::vector<AIAction> extended = sequence;
        extended.push_back(action);
        SearchTurn(std::move(extended));
        if (!map->history.empty()) {
            map->RestoreSnapshot(static_cast<int32_t>(map->history.size()) - 1);
        }
    }
}

std::vector<AIAction> HPSController::CandidateActions(Unit* piece) const
{
    if (dynamic_cast<Castle*>(piece) != nullptr) {
        return {CastleHeuristicAction(piece), PassFor(piece)};
    }
    AIAction second = PassFor(piece);
    if (!piece->hasMoved) {
        std::vector<Vector2> reachable = piece->GetReachableTiles();
        Vector2 tile;
        // With no enemy in sight there is nothing to walk toward: the piece passes.
        if (!reachable.empty() && NearestToEnemy(piece->team, reachable, tile)) {
            second = {AIActionKind::Move, piece, tile, 0};
        }
    }
    return {UnitHeuristicAction(piece), second};
}

AIAction HPSController::UnitHeuristicAction(Unit* unit) const
{
    if (unit->hasMoved) {
        Unit* best = nullptr;
        int32_t bestValue = 0;
        for (Vector2 tile : unit->GetAttackTargets(unit->GetTile())) {
            Unit* target = map->GetUnitAt(tile);
            if (target != nullptr && target->value > bestValue) {
                best = target;
                bestValue = target->value;
            }
        }
        if (best == nullptr) {
            return PassFor(unit);
        }
        return {AIActionKind::Attack, unit, best->GetTile(), 0};
    }
    Unit* victim = nullptr;
    int32_t bestValue = 0;
    for (Unit* piece : ThreatSet(unit)) {
        if (piece->value > bestValue) {
            victim = piece;
            bestValue = piece->value;
        }
    }
    if (victim == nullptr) {
        return PassFor(unit);
    }
    Vector2 victimTile = victim->GetTile();
    for (Vector2 tile : unit->GetReachableTiles()) {
        if (TileDistance(tile, victimTile) == 1) {
            return {AIActionKind::Move, unit, tile, 0};
        }
    }
    return PassFor(unit);
}

AIAction HPSController::CastleHeuristicAction(Unit* castle) const
{
    const TeamController* side = castle->team;
    std::vector<int32_t> types = side != nullptr ? AffordableUnitTypes(side) : std::vector<int32_t>();
    std::vector<Vector2> tiles = castle->GetSpawnTiles();
    if (types.empty() || tiles.empty()) {
        return PassFor(castle);
    }
    int32_t type = 0;
    for (int32_t candidate : types) {
        if (TypeInfo(candidate).cost > TypeInfo(type).cost) {
            type = candidate;
        }
    }
    // With no enemy in sight the unit goes to the first free neighbour.
    Vector2 tile = tiles.front();
    NearestToEnemy(side, tiles, tile);
    return {AIActionKind::Buy, castle, tile, type};
}

int32_t HPSController::DistanceToNearestEnemy(const TeamController* side, Vector2 tile)
{
    int32_t best = noEnemyDistance;
    if (side == nullptr || side->map == nullptr) {
        return best;
    }
    for (Unit* piece : side->map->GetUnitsSeenBy(side)) {
        if (piece->team != side) {
            int32_t distance = TileDistance(piece->GetTile(), tile);
            if (distance < best) {
                best = distance;
            }
        }
    }
    return best;
}
