#include "ai/Evaluator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ai/Evaluation.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "board/TeamController.h"

namespace {
// 3 when the attack kills (every attack on a castle, whose health is 0), else 1.
int32_t KillFactor(const Unit* attacker, const Unit* target)
{
    return attacker->damage >= target->health ? 3 : 1;
}
}  // namespace

Evaluator::Evaluator(TileMap& map_) : map(map_), queries(map_)
{
    height = static_cast<int32_t>(map.tiles.size());
    width = height > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    pathCosts.resize(cells);
    visibleStamp.assign(cells, 0);
    Refresh();
}

int32_t Evaluator::PathCost(Vector2 start, Vector2 target)
{
    auto sx = static_cast<int32_t>(start.x);
    auto sy = static_cast<int32_t>(start.y);
    auto tx = static_cast<int32_t>(target.x);
    auto ty = static_cast<int32_t>(target.y);
    if (sx < 0 || sy < 0 || tx < 0 || ty < 0 || sx >= width || tx >= width || sy >= height || ty >= height) {
        return ::PathCost(map, start, target);
    }
    std::vector<int32_t>& row = pathCosts[static_cast<size_t>(ty) * static_cast<size_t>(width) + tx];
    if (row.empty()) {
        row.assign(pathCosts.size(), -1);
    }
    int32_t& cost = row[static_cast<size_t>(sy) * static_cast<size_t>(width) + sx];
    if (cost < 0) {
        cost = ::PathCost(map, start, target);
    }
    return cost;
}

void Evaluator::MarkVisible(const TeamController* side)
{
    ++stamp;
    for (Vector2 tile : side->visibleTiles) {
        auto x = static_cast<int32_t>(tile.x);
        auto y = static_cast<int32_t>(tile.y);
        if (x >= 0 && y >= 0 && x < width && y < height) {
            visibleStamp[static_cast<size_t>(y) * static_cast<size_t>(width) + x] = stamp;
        }
    }
}

bool Evaluator::Marked(Vector2 tile) const
{
    auto x = static_cast<int32_t>(tile.x);
    auto y = static_cast<int32_t>(tile.y);
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return false;  // off the board nothing is ever visible
    }
    return visibleStamp[static_cast<size_t>(y) * static_cast<size_t>(width) + x] == stamp;
}

void Evaluator::Refresh()
{
    queries.Refresh();
    pieceX.clear();
    pieceY.clear();
    for (Unit* piece : map.Units()) {
        Vector2 tile = piece->GetTile();
        pieceX.push_back(static_cast<int32_t>(tile.x));
        pieceY.push_back(static_cast<int32_t>(tile.y));
    }
}

uint64_t Evaluator::ThreatKey(const Unit& unit)
{
    auto word = [](int64_t a, int64_t b) { return (static_cast<uint64_t>(a) << 32) ^ static_cast<uint64_t>(b & 0xffffffff); };
    Vector2 tile = unit.GetTile();
    auto ux = static_cast<int32_t>(tile.x);
    auto uy = static_cast<int32_t>(tile.y);
    // A move never leaves the diamond of the unit's speed; an attack after it reaches range further.
    int32_t radius = unit.speed + std::max(unit.range, 1);
    key.clear();
    key.push_back(reinterpret_cast<uintptr_t>(&unit));
    key.push_back(reinterpret_cast<uintptr_t>(unit.team));
    key.push_back(word(ux, uy));
    key.push_back(word(unit.speed, unit.range));
    const std::vector<Unit*>& units = map.Units();
    for (size_t i = 0; i < units.size(); ++i) {
        if (std::abs(pieceX[i] - ux) + std::abs(pieceY[i] - uy) > radius) {
            continue;
        }
        key.push_back(reinterpret_cast<uintptr_t>(units[i]));
        key.push_back(reinterpret_cast<uintptr_t>(units[i]->team) ^ static_cast<uint64_t>(units[i]->isCastle));
        key.push_back(word(pieceX[i], pieceY[i]));
    }
    uint64_t hash = 1469598103934665603ull;
    for (uint64_t w : key) {
        hash = (hash ^ w) * 1099511628211ull;
        hash ^= hash >> 29;
    }
    return hash;
}

const std::vector<Unit*>& Evaluator::ThreatSet(const Unit& unit)
{
    uint64_t hash = ThreatKey(unit);
    auto found = threatMemo.find(hash);
    if (found != threatMemo.end() && found->second.key == key) {
        return found->second.threats;
    }
    // Bounded: a long search starts remembering afresh rather than growing without end.
    if (threatMemo.size() > 200000) {
        threatMemo.clear();
    }
    ThreatMemo& memo = threatMemo[hash];
    memo.key = key;
    ComputeThreats(unit, memo.threats);
    return memo.threats;
}

void Evaluator::ComputeThreats(const Unit& unit, std::vector<Unit*>& out)
{
    out.clear();
    const std::vector<Vector2>& reachable = queries.Reachable(unit);
    // A piece is threatened when some reachable tile has it in reach: that is when
    // it would be among the attack targets from that tile.
    for (Unit* piece : map.Units()) {
        if (piece->team == unit.team) {
            continue;
        }
        Vector2 tile = piece->GetTile();
        int32_t reach = piece->isCastle ? 1 : unit.range;
        bool inReach = std::any_of(reachable.begin(), reachable.end(), [&](Vector2 from) {
            return static_cast<int32_t>(std::fabs(tile.y - from.y) + std::fabs(tile.x - from.x)) <= reach;
        });
        if (!inReach) {
            continue;
        }
        // The piece attacked on that tile is the first one standing there.
        Unit* target = queries.At(static_cast<int32_t>(tile.x), static_cast<int32_t>(tile.y));
        if (target == nullptr) {
            target = map.GetUnitAt(tile);
        }
        if (std::find(out.begin(), out.end(), target) == out.end()) {
            out.push_back(target);
        }
    }
    // NOTE: ordered by creation number, not by address, so that the same position
    // gives the same choice in every run.
    std::sort(out.begin(), out.end(), [](const Unit* a, const Unit* b) { return a->serial < b->serial; });
}

const std::vector<Vector2>& Evaluator::SeenEnemyTiles(const TeamController* side)
{
    enemies.clear();
    MarkVisible(side);
    for (Unit* piece : map.Units()) {
        Vector2 tile = piece->GetTile();
        if (piece->team != side && Marked(tile)) {
            enemies.push_back(tile);
        }
    }
    return enemies;
}

float Evaluator::Evaluate(TeamController* side)
{
    Refresh();
    const std::vector<Unit*>& units = map.Units();

    int32_t material = TeamWorth(map, side);
    for (TeamController* other : map.teams) {
        if (other != side) {
            material -= TeamWorth(map, other);
        }
    }

    int32_t castles = 0;
    for (Unit* unit : units) {
        if (unit->isCastle && unit->team == side) {
            castles += 100;
        } else if (unit->isCastle && unit->team != nullptr) {
            castles -= 100;
        }
    }

    // The pieces in sight, with the enemy list built in the same walk.
    int32_t threatScore = 0;
    enemies.clear();
    MarkVisible(side);
    for (Unit* piece : units) {
        if (!Marked(piece->GetTile())) {
            continue;
        }
        const std::vector<Unit*>& threatened = ThreatSet(*piece);
        if (piece->team != side) {
            enemies.push_back(piece->GetTile());
        }
        for (Unit* victim : threatened) {
            int32_t weight = KillFactor(piece, victim) * victim->value;
            threatScore += piece->team == side ? weight : -weight;
        }
    }

    int32_t attacks = 0;
    for (Unit* piece : units) {
        if (piece->team != side || !piece->hasMoved || piece->hasAttacked) {
            continue;
        }
        piece->AttackTargetsInto(piece->GetTile(), targets);
        for (Vector2 tile : targets) {
            Unit* victim = queries.At(static_cast<int32_t>(tile.x), static_cast<int32_t>(tile.y));
            if (victim == nullptr) {
                victim = map.GetUnitAt(tile);
            }
            if (victim != nullptr) {
                attacks += KillFactor(piece, victim) * victim->value;
            }
        }
    }

    // With nobody of another owner in sight there is nothing to approach, and the term
    // stays 0: aiming at some fixed tile instead would punish the turn that takes the
    // last castle. A nearest enemy that no path reaches costs unreachablePathCost, more
    // than any reachable one, so being out of reach never scores better.
    int32_t approach = 0;
    for (Unit* piece : units) {
        if (piece->team != side || enemies.empty()) {
            continue;
        }
        Vector2 from = piece->GetTile();
        // NOTE: ties keep the enemy earlier in child order.
        Vector2 goal = enemies.front();
        int32_t best = 0;
        for (size_t i = 0; i < enemies.size(); ++i) {
            int32_t distance = TileDistance(from, enemies[i]);
            if (i == 0 || distance < best) {
                best = distance;
                goal = enemies[i];
            }
        }
        approach -= PathCost(from, goal);
    }

    side->UpdateVision();
    auto vision = static_cast<int32_t>(side->visibleTiles.size());

    float score = 10.0f * static_cast<float>(material);
    score += static_cast<float>(castles);
    score += static_cast<float>(threatScore);
    score += 3.0f * static_cast<float>(attacks);
    score += static_cast<float>(vision);
    score += 3.0f * static_cast<float>(approach);
    return score;
}
