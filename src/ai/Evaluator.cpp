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

namespace {
int32_t AttackWorthOf(const Unit* attacker, const Unit* target)
{
    return ScoreTerms::AttackWorth(attacker->damage, target->health, target->value);
}
}  // namespace

Evaluator::Evaluator(TileMap& map_) : map(map_), queries(map_), threats(map_, queries)
{
    height = static_cast<int32_t>(map.tiles.size());
    width = height > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    pathCosts.resize(cells);
    visibleStamp.assign(cells, 0);
    ReadTiles();
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
    markedByCover = side == keptSightOf;
    if (markedByCover) {
        return;
    }
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
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return false;  // off the board nothing is ever visible
    }
    const size_t cell = static_cast<size_t>(y) * static_cast<size_t>(width) + x;
    return markedByCover ? sightCount.Seen(x, y) : visibleStamp[cell] == stamp;
}

void Evaluator::CountSight(TeamController* side)
{
    const std::vector<Unit*>& units = map.Units();
    const size_t known = countedFor == side ? sightSources.size() : 0;
    const size_t count = std::max(units.size(), sightSources.size());
    sightSources.resize(count);
    const std::vector<uint32_t>& changedAt = queries.ChangedAt();
    const std::vector<uint32_t>& log = queries.ChangeLog();
    // Since the last whole refresh the queries list the pieces that changed: no other can see otherwise.
    const bool logged = known == units.size() && queries.LogCovers(countedAt, sightLogRead);
    const size_t looks = logged ? log.size() - sightLogRead : count;
    for (size_t k = 0; k < looks; ++k) {
        const size_t i = logged ? log[sightLogRead + k] : k;
        // Only a piece changed since the last count can see otherwise.
        if (!logged && i < units.size() && i < known && changedAt[i] <= countedAt) {
            continue;
        }
        SightCount::Source now;
        if (i < units.size()) {
            now.x = queries.PieceX()[i];
            now.y = queries.PieceY()[i];
            now.range = units[i]->team == side ? units[i]->sightRange : -1;
            now.castle = units[i]->isCastle;
        }
        if (now == sightSources[i]) {
            continue;
        }
        sightCount.Move(sightSources[i], now);
        sightSources[i] = now;
    }
    sightSources.resize(units.size());
    sightLogRead = log.size();
    keptSightOf = side;
    countedFor = side;
    countedAt = queries.RefreshNumber();
}

void Evaluator::WriteSight()
{
    if (keptSightOf == nullptr) {
        return;
    }
    sightCount.List(sightSources, keptSightOf->visibleTiles);
    keptSightOf = nullptr;
}

void Evaluator::Refresh()
{
    if (tracking && !wholeRefresh) {
        queries.RefreshTouched(changedPieces);
    } else {
        queries.Refresh();
    }
    wholeRefresh = false;
    changedPieces.clear();
}

void Evaluator::TrackChanges(bool on)
{
    tracking = on;
    wholeRefresh = true;
    changedPieces.clear();
}

const std::vector<Unit*>& Evaluator::ThreatSet(const Unit& unit)
{
    return threats.Of(unit);
}

void Evaluator::ReadTiles()
{
    queries.ReadTiles();
    sightCount.Reset(map);
}

void Evaluator::Forget()
{
    ReadTiles();
    wholeRefresh = true;
    queries.RememberReachable();
    threats.Forget();
    keptSightOf = nullptr;
    sightSources.clear();
    countedFor = nullptr;
    for (std::vector<int32_t>& row : pathCosts) {
        row.clear();
    }
    // The remembered approach costs go with the path costs.
    approaches.clear();
    approachEnemies.clear();
    enemiesSeen = 1;
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

const std::vector<Vector2>& Evaluator::AttackTargets(const Unit& piece)
{
    piece.AttackTargetsInto(piece.GetTile(), askedTargets);
    return askedTargets;
}

int32_t Evaluator::AttackWorth(const Unit& piece)
{
    int32_t worth = 0;
    piece.AttackTargetsInto(piece.GetTile(), targets);
    for (Vector2 tile : targets) {
        Unit* victim = PieceAt(tile);
        if (victim != nullptr) {
            worth += AttackWorthOf(&piece, victim);
        }
    }
    return worth;
}

int32_t Evaluator::ApproachCost(int32_t x, int32_t y)
{
    const Vector2 from = {static_cast<float>(x), static_cast<float>(y)};
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
    return PathCost(from, goal);
}

const std::vector<Vector2>& Evaluator::SeenEnemyTiles(const TeamController* side)
{
    MarkVisible(side);
    const std::vector<Unit*>& units = map.Units();
    seenEnemies.clear();
    for (size_t i = 0; i < units.size(); ++i) {
        const int32_t x = queries.PieceX()[i];
        const int32_t y = queries.PieceY()[i];
        if (units[i]->team != side && Marked(x, y)) {
            seenEnemies.push_back({static_cast<float>(x), static_cast<float>(y)});
        }
    }
    return seenEnemies;
}

float Evaluator::Evaluate(TeamController* side)
{
    return Score(side, Sight::Rebuild);
}

float Evaluator::EvaluateKeepingSight(TeamController* side)
{
    return Score(side, Sight::Keep);
}

float Evaluator::EvaluateCountingSight(TeamController* side)
{
    return Score(side, Sight::Count);
}

float Evaluator::Score(TeamController* side, Sight sight)
{
    Refresh();
    ScoreTerms terms = WalkPieces(side);
    terms.approach = ApproachTerm(side);
    terms.vision = Vision(side, sight);
    return terms.Total();
}

// Material, castles, attacks still to make, and the pieces in sight with the enemy list, in one walk.
ScoreTerms Evaluator::WalkPieces(TeamController* side)
{
    const std::vector<Unit*>& units = map.Units();
    const std::vector<int32_t>& tileX = queries.PieceX();
    const std::vector<int32_t>& tileY = queries.PieceY();
    ScoreTerms terms;
    // Material: the side's worth less every other side's, gold here and pieces in the walk below.
    terms.material = side->gold;
    for (TeamController* other : map.teams) {
        if (other != side) {
            terms.material -= other->gold;
        }
    }
    enemies.clear();
    MarkVisible(side);
    threats.Update();
    for (size_t index = 0; index < units.size(); ++index) {
        Unit* piece = units[index];
        const bool ofASide = piece->team != nullptr && std::find(map.teams.begin(), map.teams.end(), piece->team) != map.teams.end();
        terms.material += ScoreTerms::MaterialOf(piece->team == side, ofASide, piece->value);
        if (piece->isCastle) {
            terms.castles += ScoreTerms::CastleOf(piece->team == side, piece->team != nullptr);
        }
        if (piece->team == side && piece->hasMoved && !piece->hasAttacked) {
            terms.attacks += AttackWorth(*piece);
        }
        if (!Marked(tileX[index], tileY[index])) {
            continue;
        }
        const ThreatSets::Tiles& threatened = threats.At(index);
        if (piece->team != side) {
            enemies.push_back({static_cast<float>(tileX[index]), static_cast<float>(tileY[index])});
        }
        for (uint32_t tile : threatened) {
            const int32_t weight = AttackWorthOf(piece, threats.VictimAt(index, tile));
            terms.threats += piece->team == side ? weight : -weight;
        }
    }
    return terms;
}

int32_t Evaluator::ApproachTerm(const TeamController* side)
{
    const std::vector<Unit*>& units = map.Units();
    const std::vector<int32_t>& tileX = queries.PieceX();
    const std::vector<int32_t>& tileY = queries.PieceY();
    // With nobody of another owner in sight there is nothing to approach, and the term
    // stays 0: aiming at some fixed tile instead would punish the turn that takes the
    // last castle. A nearest enemy that no path reaches costs unreachablePathCost, more
    // than any reachable one, so being out of reach never scores better.
    // A piece's cost depends only on its tile and the enemies in sight, which seldom change
    // from one scored turn to the next: each piece keeps its last one.
    if (!std::equal(enemies.begin(), enemies.end(), approachEnemies.begin(), approachEnemies.end(),
                    [](Vector2 a, Vector2 b) { return a.x == b.x && a.y == b.y; })) {
        approachEnemies = enemies;
        ++enemiesSeen;
    }
    approaches.resize(units.size());
    int32_t approach = 0;
    for (size_t index = 0; index < units.size(); ++index) {
        if (units[index]->team != side || enemies.empty()) {
            continue;
        }
        Approach& known = approaches[index];
        if (known.enemiesSeen != enemiesSeen || known.x != tileX[index] || known.y != tileY[index]) {
            known = {tileX[index], tileY[index], enemiesSeen, ApproachCost(tileX[index], tileY[index])};
        }
        approach -= known.cost;
    }
    return approach;
}

int32_t Evaluator::Vision(TeamController* side, Sight sight)
{
    int32_t vision = 0;
    if (sight != Sight::Rebuild) {
        TeamController* kept = keptSightOf;
        CountSight(side);
        vision = sightCount.Covered();
        if (sight == Sight::Count && kept != side) {
            keptSightOf = kept;  // the side's list stays the one it holds
        }
    } else {
        if (keptSightOf == side) {
            keptSightOf = nullptr;  // the list is rebuilt now
        }
        side->UpdateVision();
        vision = static_cast<int32_t>(side->visibleTiles.size());
    }
    return vision;
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
