#include "ai/Evaluator.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <deque>

#include "ai/ScoreTerms.h"
#include "board/Rules.h"
#include "board/TeamController.h"
#include "board/TileMap.h"
#include "board/Unit.h"

Evaluator::Evaluator(TileMap& map_) : map(map_), queries(map_)
{
    height = static_cast<int32_t>(map.tiles.size());
    width = height > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    pathCosts.resize(cells);
    visibleStamp.assign(cells, 0);
    queries.ReadTiles();
    queries.RememberReachable();
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

bool Evaluator::Marked(int32_t x, int32_t y) const
{
    // Off the board nothing is ever visible.
    return x >= 0 && y >= 0 && x < width && y < height && visibleStamp[static_cast<size_t>(y) * static_cast<size_t>(width) + x] == stamp;
}

Unit* Evaluator::PieceAt(Vector2 tile) const
{
    const auto x = static_cast<int32_t>(tile.x);
    const auto y = static_cast<int32_t>(tile.y);
    // Off the board, or off whole tiles, the grid knows nobody: the board's own search finds any piece there.
    if (x < 0 || y < 0 || x >= width || y >= height || static_cast<float>(x) != tile.x || static_cast<float>(y) != tile.y) {
        return map.GetUnitAt(tile);
    }
    return queries.At(x, y);
}

int32_t Evaluator::AttackWorth(const Unit& piece)
{
    int32_t worth = 0;
    piece.AttackTargetsInto(piece.GetTile(), targets);
    for (Vector2 tile : targets) {
        Unit* victim = PieceAt(tile);
        if (victim != nullptr) {
            worth += ScoreTerms::AttackWorth(piece.damage, victim->health, victim->value);
        }
    }
    return worth;
}

// The distinct pieces `unit` could attack after one move: the first piece on each tile that some
// reachable tile has in reach, as GetAttackTargets and GetUnitAt would find them from there.
void Evaluator::ThreatenedInto(const Unit& unit, std::vector<Unit*>& out)
{
    out.clear();
    reachable = queries.Reachable(unit);
    const Vector2 start = unit.GetTile();
    for (Unit* piece : map.Units()) {
        if (piece->team == unit.team) {
            continue;
        }
        const Vector2 tile = piece->GetTile();
        const int32_t reach = Rules::AttackReach(unit.range, piece->isCastle);
        // Every step costs at least 1, so no reachable tile is farther from the start than the speed.
        if (TileDistance(tile, start) > unit.speed + reach ||
            std::none_of(reachable.begin(), reachable.end(), [&](Vector2 from) { return TileDistance(tile, from) <= reach; })) {
            continue;
        }
        Unit* victim = PieceAt(tile);
        if (std::find(out.begin(), out.end(), victim) == out.end()) {
            out.push_back(victim);
        }
    }
}

int32_t Evaluator::ApproachCost(Vector2 from)
{
    // NOTE: ties keep the enemy earlier in child order.
    Vector2 goal = enemies.front();
    int32_t best = TileDistance(from, goal);
    for (Vector2 enemy : enemies) {
        const int32_t distance = TileDistance(from, enemy);
        if (distance < best) {
            best = distance;
            goal = enemy;
        }
    }
    return PathCost(from, goal);
}

float Evaluator::Evaluate(TeamController* side)
{
    queries.Refresh();
    ScoreTerms terms = WalkPieces(side);
    // With nobody of another owner in sight there is nothing to approach, and the term stays 0:
    // aiming at some fixed tile instead would punish the turn that takes the last castle. A nearest
    // enemy that no path reaches costs unreachablePathCost, more than any reachable one.
    for (Unit* piece : map.Units()) {
        if (piece->team == side && !enemies.empty()) {
            terms.approach -= ApproachCost(piece->GetTile());
        }
    }
    side->UpdateVision();
    terms.vision = static_cast<int32_t>(side->visibleTiles.size());
    return terms.Total();
}

// Material, castles, attacks still to make, and the threats of the pieces in sight with the enemy
// list, in one walk over the pieces.
ScoreTerms Evaluator::WalkPieces(const TeamController* side)
{
    ScoreTerms terms;
    terms.material = side->gold;
    for (const TeamController* other : map.teams) {
        terms.material -= other != side ? other->gold : 0;
    }
    enemies.clear();
    MarkVisible(side);
    for (Unit* piece : map.Units()) {
        const bool own = piece->team == side;
        const bool ofASide = piece->team != nullptr && std::find(map.teams.begin(), map.teams.end(), piece->team) != map.teams.end();
        terms.material += ScoreTerms::MaterialOf(own, ofASide, piece->value);
        terms.castles += piece->isCastle ? ScoreTerms::CastleOf(own, piece->team != nullptr) : 0;
        if (own && piece->hasMoved && !piece->hasAttacked) {
            terms.attacks += AttackWorth(*piece);
        }
        const Vector2 tile = piece->GetTile();
        if (!Marked(static_cast<int32_t>(tile.x), static_cast<int32_t>(tile.y))) {
            continue;
        }
        if (!own) {
            enemies.push_back(tile);
        }
        ThreatenedInto(*piece, threatened);
        for (const Unit* victim : threatened) {
            const int32_t weight = ScoreTerms::AttackWorth(piece->damage, victim->health, victim->value);
            terms.threats += own ? weight : -weight;
        }
    }
    return terms;
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

namespace {
// PathCost's search: a first-in-first-out open list, ended by the first path to the target.
class FirstPathSearch {
public:
    FirstPathSearch(const TileMap& map, int32_t targetX, int32_t targetY)
        : map(map),
          width(static_cast<int32_t>(map.tiles.front().size())),
          height(static_cast<int32_t>(map.tiles.size())),
          targetX(targetX),
          targetY(targetY),
          listedG(static_cast<size_t>(width) * static_cast<size_t>(height), FLT_MAX),
          listed(listedG.size(), false)
    {
    }

    // The target's g from (startX, startY): the cost of the first path found, or FLT_MAX.
    float Run(int32_t startX, int32_t startY)
    {
        open = {{startX, startY, 0.0f}};
        listed[Cell(startX, startY)] = true;
        listedG[Cell(startX, startY)] = 0.0f;
        bool found = false;
        while (!open.empty()) {
            const Entry current = open.front();
            open.pop_front();
            found = Expand(current) || found;
            if (found) {
                open.clear();
            }
        }
        // The start is its own target only when a path leads back to it; otherwise
        // it keeps the cost 0 it started with.
        if (!found && startX == targetX && startY == targetY) {
            targetG = 0.0f;
        }
        return targetG;
    }

private:
    struct Entry {
        int32_t x;
        int32_t y;
        float g;
    };
    size_t Cell(int32_t x, int32_t y) const { return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x); }

    // Offers the current entry's neighbours to the open list; true when one of them is the target.
    bool Expand(const Entry& current)
    {
        static const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        bool found = false;
        for (const auto& step : steps) {
            const int32_t nx = current.x + step[0];
            const int32_t ny = current.y + step[1];
            if (nx < 0 || ny < 0 || nx >= width || ny >= height) {
                continue;
            }
            const int32_t cost = map.tiles[static_cast<size_t>(ny)][static_cast<size_t>(nx)].moveCost;
            if (Rules::Impassable(cost)) {
                continue;
            }
            // The first path that reaches the target ends the search, cheapest or not.
            if (nx == targetX && ny == targetY) {
                found = true;
                targetG = static_cast<float>(cost) + current.g;
                continue;
            }
            const float g = static_cast<float>(cost) + current.g;
            const int32_t h = std::abs(targetY - ny) + std::abs(targetX - nx);
            const double f = static_cast<double>(g) + static_cast<double>(h);
            const size_t n = Cell(nx, ny);
            // NOTE: an entry is skipped when the open or closed list already holds one for
            // its tile whose g is at most the new total f'. Entries only join those lists,
            // so the smallest g listed per tile answers that test.
            if (listed[n] && static_cast<double>(listedG[n]) <= f) {
                continue;
            }
            listed[n] = true;
            listedG[n] = std::min(listedG[n], g);
            open.push_back({nx, ny, g});
        }
        return found;
    }

    const TileMap& map;
    int32_t width;
    int32_t height;
    int32_t targetX;
    int32_t targetY;
    std::vector<float> listedG;
    std::vector<bool> listed;
    std::deque<Entry> open;
    float targetG = FLT_MAX;
};
}  // namespace

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
    const float targetG = FirstPathSearch(map, targetX, targetY).Run(startX, startY);
    // An unreachable target keeps the largest float, which no int32 can hold.
    if (!(targetG < static_cast<float>(unreachablePathCost))) {
        return unreachablePathCost;
    }
    return static_cast<int32_t>(targetG);
}
