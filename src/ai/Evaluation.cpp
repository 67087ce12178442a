#include "ai/Evaluation.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <deque>

#include "ai/Evaluator.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "board/TeamController.h"

int32_t TileDistance(Vector2 a, Vector2 b)
{
    return static_cast<int32_t>(std::fabs(a.x - b.x) + std::fabs(a.y - b.y));
}

int32_t TeamWorth(const TileMap& map, const TeamController* side)
{
    int32_t worth = side->gold;
    for (Unit* unit : map.Units()) {
        if (unit->team == side) {
            worth += unit->value;
        }
    }
    return worth;
}

std::vector<Unit*> ThreatSet(const Unit* unit)
{
    if (unit->map == nullptr) {
        return {};
    }
    Evaluator evaluator(*unit->map);
    return evaluator.ThreatSet(*unit);
}

int32_t PathCost(const TileMap& map, Vector2 start, Vector2 target)
{
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
    struct Entry {
        int32_t x;
        int32_t y;
        float g;
    };
    auto cell = [&](int32_t x, int32_t y) { return static_cast<size_t>(y) * static_cast<size_t>(width) + x; };
    const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    // NOTE: an entry is skipped when the open or closed list already holds one for
    // its tile whose g is at most the new total f'. Entries only join those lists,
    // so the smallest g listed per tile answers that test.
    std::vector<float> listedG(cells, FLT_MAX);
    std::vector<bool> listed(cells, false);
    float targetG = FLT_MAX;
    std::deque<Entry> open = {{startX, startY, 0.0f}};
    listed[cell(startX, startY)] = true;
    listedG[cell(startX, startY)] = 0.0f;
    bool found = false;
    static const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!open.empty()) {
        Entry current = open.front();
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
            // The first path that reaches the target ends the search, cheapest or not.
            if (nx == targetX && ny == targetY) {
                found = true;
                targetG = static_cast<float>(cost) + current.g;
                continue;
            }
            float g = static_cast<float>(cost) + current.g;
            int32_t h = std::abs(targetY - ny) + std::abs(targetX - nx);
            double f = static_cast<double>(g) + static_cast<double>(h);
            size_t n = cell(nx, ny);
            if (listed[n] && static_cast<double>(listedG[n]) <= f) {
                continue;
            }
            listed[n] = true;
            listedG[n] = std::min(listedG[n], g);
            open.push_back({nx, ny, g});
        }
        if (found) {
            open.clear();
        }
    }
    // The start is its own target only when a path leads back to it; otherwise
    // it keeps the cost 0 it started with.
    if (!found && startX == targetX && startY == targetY) {
        targetG = 0.0f;
    }
    // An unreachable target keeps the largest float, which no int32 can hold.
    if (!(targetG < static_cast<float>(unreachablePathCost))) {
        return unreachablePathCost;
    }
    return static_cast<int32_t>(targetG);
}

float Evaluate(TileMap& map, TeamController* side)
{
    Evaluator evaluator(map);
    return evaluator.Evaluate(side);
}

