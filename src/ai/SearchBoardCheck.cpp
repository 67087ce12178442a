// The search's copy checked against a recomputation: everything it keeps from one position to
// the next is worked out again from the pieces alone and compared.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ai/Evaluator.h"
#include "ai/Heuristic.h"
#include "ai/ScoreTerms.h"
#include "ai/SearchBoard.h"
#include "board/Rules.h"
#include "board/TileMap.h"

namespace {
std::string TileText(int32_t x, int32_t y)
{
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

std::string Differs(const std::string& what, int64_t kept, int64_t fresh)
{
    return what + ": kept " + std::to_string(kept) + ", worked out " + std::to_string(fresh);
}
}  // namespace

std::string SearchBoard::Inconsistency()
{
    std::string found = GridInconsistency();
    if (found.empty()) {
        found = NeighbourhoodInconsistency();
    }
    if (found.empty() && sightCounted) {
        found = sight.Inconsistency(sources);
    }
    if (found.empty()) {
        found = KeptScoreInconsistency();
    }
    if (found.empty()) {
        found = EnemiesInconsistency();
    }
    return found;
}

// Which enemies are in sight, as last found; the ones the heuristics walk toward, while nothing
// since asked for them anew, which of the first 64 pieces they are, and each tile's distance kept for them.
std::string SearchBoard::EnemiesInconsistency() const
{
    std::vector<std::array<int32_t, 2>> fresh;
    uint64_t mask = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].alive && pieces[i].team != side && Marked(pieces[i].x, pieces[i].y)) {
            fresh.push_back({pieces[i].x, pieces[i].y});
            mask |= i < 64 ? uint64_t{1} << i : 0;
        }
    }
    if (inSightAt == enemyChanges && pieces.size() <= 64 && inSight != mask) {
        return "enemies in sight: kept as other pieces";
    }
    if (enemiesAt != enemyChanges) {
        return {};
    }
    if (fresh != enemies) {
        return Differs("enemies in sight for the heuristics", static_cast<int64_t>(enemies.size()), static_cast<int64_t>(fresh.size()));
    }
    if (enemiesMasked && enemiesMask != mask) {
        return "enemies in sight for the heuristics: kept as other pieces";
    }
    for (size_t cell = 0; distancesFor == enemiesVersion && cell < distances.size(); ++cell) {
        if (distances[cell] < 0) {
            continue;
        }
        const auto x = static_cast<int32_t>(cell % static_cast<size_t>(width));
        const auto y = static_cast<int32_t>(cell / static_cast<size_t>(width));
        int32_t nearest = Heuristic::noEnemyDistance;
        for (const std::array<int32_t, 2>& enemy : fresh) {
            nearest = std::min(nearest, Rules::TileDistance(enemy[0], enemy[1], x, y));
        }
        if (distances[cell] != nearest) {
            return Differs("distance to the nearest enemy in sight from " + TileText(x, y), distances[cell], nearest);
        }
    }
    return {};
}

// Who stands where (the first piece of a tile answers for it), and the side's pieces not finished.
std::string SearchBoard::GridInconsistency() const
{
    std::vector<int32_t> fresh(occupant.size(), -1);
    std::vector<int32_t> count(occupant.size(), 0);
    for (size_t i = pieces.size(); i-- > 0;) {
        if (pieces[i].alive) {
            fresh[static_cast<size_t>(Cell(pieces[i].x, pieces[i].y))] = static_cast<int32_t>(i);
            ++count[static_cast<size_t>(Cell(pieces[i].x, pieces[i].y))];
        }
    }
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (standing[static_cast<size_t>(Cell(x, y))] != count[static_cast<size_t>(Cell(x, y))]) {
                return Differs("pieces on tile " + TileText(x, y), standing[static_cast<size_t>(Cell(x, y))], count[static_cast<size_t>(Cell(x, y))]);
            }
            if (occupant[static_cast<size_t>(Cell(x, y))] != fresh[static_cast<size_t>(Cell(x, y))]) {
                return Differs("piece on tile " + TileText(x, y), occupant[static_cast<size_t>(Cell(x, y))], fresh[static_cast<size_t>(Cell(x, y))]);
            }
            if (static_cast<int32_t>(OccupiedRun(x, y) & 1) != (count[static_cast<size_t>(Cell(x, y))] > 0 ? 1 : 0)) {
                return Differs("tile " + TileText(x, y) + " held in its row", static_cast<int64_t>(OccupiedRun(x, y) & 1), count[static_cast<size_t>(Cell(x, y))]);
            }
        }
        // Nothing stands beside the board.
        if ((OccupiedRun(-rowMargin, y) & ((uint64_t{1} << rowMargin) - 1)) != 0 || (OccupiedRun(width, y) & ((uint64_t{1} << rowMargin) - 1)) != 0) {
            return "a piece beside the board in row " + std::to_string(y);
        }
    }
    for (size_t i = 0; i < 64; ++i) {
        const bool open = i < pieces.size() && pieces[i].alive && pieces[i].team == side && !pieces[i].attacked;
        if (((unfinished >> i) & 1) != static_cast<uint64_t>(open)) {
            return Differs("piece " + std::to_string(i) + " not finished", static_cast<int64_t>((unfinished >> i) & 1), open ? 1 : 0);
        }
    }
    return {};
}

// Where the neighbourhoods see each piece, and each piece's combined marks and rivals, against
// the placements they were last counted at.
std::string SearchBoard::NeighbourhoodInconsistency() const
{
    for (size_t i = 0; i < live.x.size(); ++i) {
        const NearPiece now = NearOf(i);
        const NearPiece kept = live.Get(i);
        if (kept.x != now.x || kept.y != now.y || kept.owner != now.owner || kept.castle != now.castle || kept.mark != now.mark) {
            return "placement of piece " + std::to_string(i) + " as it stands: kept at " + TileText(kept.x, kept.y) + ", stands at " + TileText(now.x, now.y);
        }
        if (i < pieces.size() && liveSelf[i] != SelfKey(pieces[i])) {
            return "own key of piece " + std::to_string(i);
        }
        // A piece not waiting to be counted again is counted where it stands.
        const NearPiece last = counted.Get(i);
        if ((touchFlags[i] & 1) == 0 && (last.x != now.x || last.y != now.y || last.owner != now.owner || last.castle != now.castle)) {
            return "piece " + std::to_string(i) + " counted at " + TileText(last.x, last.y) + ", stands at " + TileText(now.x, now.y);
        }
    }
    for (size_t i = 0; i < pieces.size() && i < counted.x.size(); ++i) {
        if (!pieces[i].alive || (touchFlags[i] & 1) != 0) {
            continue;
        }
        // Each half of the marks summed on its own, so that two like pieces on one tile do not cancel.
        uint32_t low = 0;
        uint32_t high = 0;
        int32_t rivalCount = 0;
        for (size_t j = 0; j < counted.x.size(); ++j) {
            const int32_t rival = counted.owner[j] != counted.owner[i] ? -1 : 0;
            const bool near = NearMask(counted.x[j] - counted.x[i], counted.y[j] - counted.y[i], nearSpeed[i], nearRange[i], rival, counted.castle[j]) != 0;
            low += near ? counted.low[j] : 0;
            high += near ? counted.high[j] : 0;
            rivalCount += near && rival != 0 ? 1 : 0;
        }
        if (sumHigh[i] != high || sumLow[i] != low) {
            return "combined marks of the neighbourhood of piece " + std::to_string(i);
        }
        if (rivals[i] != rivalCount) {
            return Differs("rivals near piece " + std::to_string(i), rivals[i], rivalCount);
        }
    }
    return {};
}

// What each piece looked at since the last score adds to material, castles and approach, and the sums.
std::string SearchBoard::KeptScoreInconsistency()
{
    // The approach costs are kept for the enemies the last score saw.
    if (approachEnemies != scoreEnemies) {
        return Differs("enemies in sight the approach costs are kept for", static_cast<int64_t>(approachEnemies.size()),
                       static_cast<int64_t>(scoreEnemies.size()));
    }
    int32_t material = 0;
    int32_t castles = 0;
    int32_t approach = 0;
    for (size_t i = 0; i < kept.size(); ++i) {
        const bool waiting = i < touchFlags.size() && (touchFlags[i] & 2) != 0;
        material += kept[i].material;
        castles += kept[i].castles;
        approach += kept[i].approach;
        if (waiting) {
            continue;
        }
        Kept fresh;
        if (i < pieces.size() && pieces[i].alive) {
            const Piece& piece = pieces[i];
            const bool own = piece.team == side;
            fresh = PieceParts(piece);
            if (own && !approachEnemies.empty()) {
                // The nearest enemy in the last scored sight, ties to the first.
                std::array<int32_t, 2> goal = approachEnemies.front();
                for (const std::array<int32_t, 2>& enemy : approachEnemies) {
                    if (Rules::TileDistance(enemy[0], enemy[1], piece.x, piece.y) < Rules::TileDistance(goal[0], goal[1], piece.x, piece.y)) {
                        goal = enemy;
                    }
                }
                fresh.approach = -::PathCost(*map, {static_cast<float>(piece.x), static_cast<float>(piece.y)},
                                             {static_cast<float>(goal[0]), static_cast<float>(goal[1])});
            }
        }
        if (kept[i].material != fresh.material || kept[i].castles != fresh.castles || kept[i].approach != fresh.approach) {
            return "score parts of piece " + std::to_string(i) + ": kept " + std::to_string(kept[i].material) + "/" + std::to_string(kept[i].castles) + "/" +
                   std::to_string(kept[i].approach) + ", worked out " + std::to_string(fresh.material) + "/" + std::to_string(fresh.castles) + "/" +
                   std::to_string(fresh.approach);
        }
    }
    if (material != keptMaterial) {
        return Differs("material of the pieces", keptMaterial, material);
    }
    if (castles != keptCastles) {
        return Differs("castles", keptCastles, castles);
    }
    if (approach != keptApproach) {
        return Differs("approach", keptApproach, approach);
    }
    return {};
}

std::vector<int32_t> SearchBoard::ThreatenedAfresh(int32_t index)
{
    const Piece& unit = pieces[static_cast<size_t>(index)];
    std::vector<std::array<int32_t, 2>> tiles;
    walk.Walk(unit.x, unit.y, unit.speed, width, height, entryCost, [&](size_t cell) { return occupant[cell] >= 0; },
              [&](int32_t x, int32_t y) { tiles.push_back({x, y}); });
    std::vector<int32_t> threatened;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (!piece.alive || piece.team == unit.team) {
            continue;
        }
        // Pieces sharing a tile are one target: the first one standing there.
        const int32_t first = At(piece.x, piece.y);
        for (const std::array<int32_t, 2>& from : tiles) {
            if (Rules::InReach(from[0], from[1], unit.range, piece.x, piece.y, piece.castle)) {
                if (std::find(threatened.begin(), threatened.end(), first) == threatened.end()) {
                    threatened.push_back(first);
                }
                break;
            }
        }
    }
    return threatened;
}

float SearchBoard::ScoreAfresh()
{
    ScoreTerms terms;
    for (size_t owner = 0; owner < gold.size(); ++owner) {
        terms.material += static_cast<int32_t>(owner) == sideOwner ? gold[owner] : -gold[owner];
    }
    std::vector<std::array<int32_t, 2>> enemiesSeen;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (!piece.alive) {
            continue;
        }
        const bool own = piece.team == side;
        const Kept parts = PieceParts(piece);
        terms.material += parts.material;
        terms.castles += parts.castles;
        for (size_t j = 0; own && piece.moved && !piece.attacked && j < pieces.size(); ++j) {
            if (InReach(piece, pieces[j], piece.x, piece.y)) {
                const Piece& attacked = FirstOn(pieces[j]);
                terms.attacks += ScoreTerms::AttackWorth(piece.damage, attacked.health, attacked.value);
            }
        }
        if (Marked(piece.x, piece.y)) {
            if (!own) {
                enemiesSeen.push_back({piece.x, piece.y});
            }
            for (int32_t victim : ThreatenedAfresh(static_cast<int32_t>(i))) {
                const Piece& target = pieces[static_cast<size_t>(victim)];
                const int32_t worth = ScoreTerms::AttackWorth(piece.damage, target.health, target.value);
                terms.threats += own ? worth : -worth;
            }
        }
    }
    terms.vision = SightAfresh();
    for (const Piece& piece : pieces) {
        if (!piece.alive || piece.team != side || enemiesSeen.empty()) {
            continue;
        }
        std::array<int32_t, 2> goal = enemiesSeen.front();
        for (const std::array<int32_t, 2>& enemy : enemiesSeen) {
            if (Rules::TileDistance(enemy[0], enemy[1], piece.x, piece.y) < Rules::TileDistance(goal[0], goal[1], piece.x, piece.y)) {
                goal = enemy;
            }
        }
        terms.approach -= ::PathCost(*map, {static_cast<float>(piece.x), static_cast<float>(piece.y)}, {static_cast<float>(goal[0]), static_cast<float>(goal[1])});
    }
    return terms.Total();
}

int32_t SearchBoard::SightAfresh() const
{
    // The side's pieces see their diamonds, every castle its own tile; the outside tiles nobody.
    std::vector<uint8_t> seen(occupant.size(), 0);
    for (const Piece& piece : pieces) {
        for (int32_t dy = -piece.sight; piece.alive && piece.team == side && dy <= piece.sight; ++dy) {
            for (int32_t dx = std::abs(dy) - piece.sight; dx <= piece.sight - std::abs(dy); ++dx) {
                if (OnBoard(piece.x + dx, piece.y + dy)) {
                    seen[static_cast<size_t>(Cell(piece.x + dx, piece.y + dy))] = 1;
                }
            }
        }
        if (piece.alive && piece.castle) {
            seen[static_cast<size_t>(Cell(piece.x, piece.y))] = 1;
        }
    }
    int32_t tiles = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            tiles += seen[static_cast<size_t>(Cell(x, y))] != 0 && map->tiles[static_cast<size_t>(y)][static_cast<size_t>(x)].kind != 3 ? 1 : 0;
        }
    }
    return tiles;
}

void SearchBoard::CheckNow()
{
    const std::string found = Inconsistency();
    if (!found.empty()) {
        std::fprintf(stderr, "the search's copy of the board disagrees with a recomputation: %s\n", found.c_str());
        std::abort();
    }
}
