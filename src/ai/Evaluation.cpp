#include "ai/Evaluation.h"

#include <cfloat>
#include <cmath>
#include <deque>
#include <set>

#include "board/TileMap.h"
#include "board/Unit.h"
#include "rules/TeamController.h"

namespace {
// 3 when the attack kills (every attack on a castle, whose health is 0), else 1.
int32_t KillFactor(const Unit* attacker, const Unit* target)
{
    return attacker->damage >= target->health ? 3 : 1;
}

struct BySerial {
    bool operator()(const Unit* a, const Unit* b) const { return a->serial < b->serial; }
};
}  // namespace

int32_t TileDistance(Vector2 a, Vector2 b)
{
    return static_cast<int32_t>(std::fabs(a.x - b.x) + std::fabs(a.y - b.y));
}

int32_t TeamWorth(const TileMap& map, const TeamController* side)
{
    int32_t worth = side->gold;
    for (Unit* unit : map.GetUnitsOf(side)) {
        worth += unit->value;
    }
    return worth;
}

std::vector<Unit*> ThreatSet(const Unit* unit)
{
    // NOTE: ordered by creation number, not by address, so that the same position
    // gives the same choice in every run.
    std::set<Unit*, BySerial> threatened;
    for (Vector2 tile : unit->GetReachableTiles()) {
        for (Vector2 target : unit->GetAttackTargets(tile)) {
            if (Unit* piece = unit->map->GetUnitAt(target)) {
                threatened.insert(piece);
            }
        }
    }
    return {threatened.begin(), threatened.end()};
}

int32_t PathCost(const TileMap& map, Vector2 start, Vector2 target)
{
    struct Record {
        int32_t x = 0;
        int32_t y = 0;
        int32_t parentX = -1;
        int32_t parentY = -1;
        float g = FLT_MAX;
        float h = FLT_MAX;
        float f = FLT_MAX;
    };
    if (map.tiles.empty()) {
        return unreachablePathCost;
    }
    const int32_t width = static_cast<int32_t>(map.tiles.front().size());
    const int32_t height = static_cast<int32_t>(map.tiles.size());
    auto inside = [&](int32_t x, int32_t y) { return x >= 0 && y >= 0 && x < width && y < height; };
    const auto startX = static_cast<int32_t>(start.x);
    const auto startY = static_cast<int32_t>(start.y);
    const auto targetX = static_cast<int32_t>(target.x);
    const auto targetY = static_cast<int32_t>(target.y);
    if (!inside(startX, startY) || !inside(targetX, targetY)) {
        return unreachablePathCost;
    }
    std::vector<Record> records(static_cast<size_t>(width) * static_cast<size_t>(height));
    auto recordAt = [&](int32_t x, int32_t y) -> Record& {
        return records[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    };
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            recordAt(x, y).x = x;
            recordAt(x, y).y = y;
        }
    }
    Record& first = recordAt(startX, startY);
    first.g = 0.0f;
    first.h = 0.0f;
    first.parentX = startX;
    first.parentY = startY;

    std::deque<Record> open = {first};
    std::vector<Record> closed;
    bool found = false;
    // NOTE: the test compares the new total f' with a listed entry's g, and the
    // search stops at the first path reaching the target, not the cheapest.
    auto listedNoWorse = [](const auto& list, int32_t x, int32_t y, double total) {
        for (const Record& entry : list) {
            if (entry.x == x && entry.y == y && static_cast<double>(entry.g) <= total) {
                return true;
            }
        }
        return false;
    };
    static const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!open.empty()) {
        Record current = open.front();
        open.pop_front();
        for (const auto& step : steps) {
            int32_t nx = current.x + step[0];
            int32_t ny = current.y + step[1];
            if (!inside(nx, ny)) {
                continue;
            }
            int32_t cost = map.tiles[static_cast<size_t>(ny)][static_cast<size_t>(nx)].moveCost;
            if (cost >= 999) {
                continue;
            }
            Record& next = recordAt(nx, ny);
            if (nx == targetX && ny == targetY) {
                found = true;
                next.parentX = current.x;
                next.parentY = current.y;
                next.g = static_cast<float>(cost) + current.g;
                continue;
            }
            float g = static_cast<float>(cost) + current.g;
            int32_t h = std::abs(targetY - ny) + std::abs(targetX - nx);
            double f = static_cast<double>(g) + static_cast<double>(h);
            if (listedNoWorse(open, nx, ny, f) || listedNoWorse(closed, nx, ny, f)) {
                continue;
            }
            next.g = g;
            next.h = static_cast<float>(h);
            next.f = static_cast<float>(f);
            next.parentX = current.x;
            next.parentY = current.y;
            open.push_back(next);
        }
        closed.push_back(current);
        if (found) {
            open.clear();
        }
    }
    float g = recordAt(targetX, targetY).g;
    // An unreachable target keeps the largest float, which no int32 can hold.
    if (!(g < static_cast<float>(unreachablePathCost))) {
        return unreachablePathCost;
    }
    return static_cast<int32_t>(g);
}

float Evaluate(TileMap& map, TeamController* side)
{
    int32_t material = TeamWorth(map, side);
    for (TeamController* other : map.teams) {
        if (other != side) {
            material -= TeamWorth(map, other);
        }
    }

    int32_t castles = 0;
    for (Castle* castle : map.GetCastles()) {
        if (castle->team == side) {
            castles += 100;
        } else if (castle->team != nullptr) {
            castles -= 100;
        }
    }

    int32_t threats = 0;
    std::vector<Vector2> enemies;
    for (Unit* piece : map.GetUnitsSeenBy(side)) {
        std::vector<Unit*> threatened = ThreatSet(piece);
        if (piece->team != side) {
            enemies.push_back(piece->GetTile());
        }
        for (Unit* victim : threatened) {
            int32_t weight = KillFactor(piece, victim) * victim->value;
            threats += piece->team == side ? weight : -weight;
        }
    }

    int32_t attacks = 0;
    std::vector<Unit*> own = map.GetUnitsOf(side);
    for (Unit* piece : own) {
        if (!piece->hasMoved || piece->hasAttacked) {
            continue;
        }
        for (Vector2 tile : piece->GetAttackTargets(piece->GetTile())) {
            if (Unit* victim = map.GetUnitAt(tile)) {
                attacks += KillFactor(piece, victim) * victim->value;
            }
        }
    }

    int32_t approach = 0;
    for (Unit* piece : own) {
        Vector2 from = piece->GetTile();
        // NOTE: with nobody in sight the target is tile (0, 0); ties keep the earlier enemy.
        Vector2 goal = {0.0f, 0.0f};
        int32_t best = 0;
        for (size_t i = 0; i < enemies.size(); ++i) {
            int32_t distance = TileDistance(from, enemies[i]);
            if (i == 0 || distance < best) {
                best = distance;
                goal = enemies[i];
            }
        }
        approach -= PathCost(map, from, goal);
    }

    side->UpdateVision();
    auto vision = static_cast<int32_t>(side->visibleTiles.size());

    float score = 10.0f * static_cast<float>(material);
    score += static_cast<float>(castles);
    score += static_cast<float>(threats);
    score += 3.0f * static_cast<float>(attacks);
    score += static_cast<float>(vision);
    score += 3.0f * static_cast<float>(approach);
    return score;
}
