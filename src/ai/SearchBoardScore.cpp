// The search's copy scores its complete turns: what each piece adds is kept from one scored
// turn to the next, and only the pieces changed since are looked at again.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>

#include "ai/Evaluator.h"
#include "ai/Heuristic.h"
#include "ai/ScoreTerms.h"
#include "ai/SearchBoard.h"
#include "board/Rules.h"
#include "board/TeamController.h"
#include "board/TileMap.h"

namespace {
int32_t Distance(int32_t ax, int32_t ay, int32_t bx, int32_t by)
{
    return Rules::TileDistance(ax, ay, bx, by);
}
}  // namespace

uint64_t SearchBoard::EnemiesInSight()
{
    // The score asks before the sight moves on and the heuristics after: each sight is looked at once.
    if (inSightAt == enemyChanges) {
        return inSight;
    }
    inSightAt = enemyChanges;
    inSight = 0;
    for (uint64_t left = enemyBits; left != 0; left &= left - 1) {
        const Piece& piece = pieces[static_cast<size_t>(std::countr_zero(left))];
        inSight |= Marked(piece.x, piece.y) ? left & -left : 0;
    }
    return inSight;
}

void SearchBoard::TilesOf(uint64_t mask, std::vector<std::array<int32_t, 2>>& tiles) const
{
    tiles.clear();
    for (uint64_t left = mask; left != 0; left &= left - 1) {
        const Piece& piece = pieces[static_cast<size_t>(std::countr_zero(left))];
        tiles.push_back({piece.x, piece.y});
    }
}

const std::vector<std::array<int32_t, 2>>& SearchBoard::SeenEnemies()
{
    // Enemies never move in the side's turn: the list changes only with a kill, a capture or the sight.
    if (enemiesAt == enemyChanges) {
        return enemies;
    }
    enemiesAt = enemyChanges;
    if (pieces.size() <= 64) {
        // Which enemies are in sight says what the list holds: most sights counted keep them.
        const uint64_t mask = EnemiesInSight();
        if (enemiesMasked && mask == enemiesMask) {
            return enemies;
        }
        enemiesMask = mask;
        enemiesMasked = true;
        TilesOf(mask, enemies);
        enemiesVersion = EnemiesVersion(mask);
        return enemies;
    }
    enemiesMasked = false;
    enemiesBefore.swap(enemies);
    enemies.clear();
    for (const Piece& piece : pieces) {
        if (piece.alive && piece.team != side && Marked(piece.x, piece.y)) {
            enemies.push_back({piece.x, piece.y});
        }
    }
    if (enemies != enemiesBefore) {
        enemiesVersion = ++versionsGiven;
    }
    return enemies;
}

uint64_t SearchBoard::EnemiesVersion(uint64_t mask)
{
    // Enemies never move in the side's turn: the same pieces make the same list.
    for (const std::array<uint64_t, 2>& list : enemyLists) {
        if (list[1] != 0 && list[0] == mask) {
            return list[1];
        }
    }
    std::array<uint64_t, 2>& list = enemyLists[nextEnemyList];
    nextEnemyList = (nextEnemyList + 1) % enemyLists.size();
    list = {mask, ++versionsGiven};
    return list[1];
}

bool SearchBoard::NearestToEnemy(const std::vector<std::array<int32_t, 2>>& tiles, std::array<int32_t, 2>& chosen)
{
    const std::vector<std::array<int32_t, 2>>& seen = SeenEnemies();
    // Each tile's distance is remembered while the enemies in sight stay the same.
    if (distancesFor != enemiesVersion) {
        distancesFor = enemiesVersion;
        std::fill(distances.begin(), distances.end(), -1);
    }
    auto distanceOf = [&](const std::array<int32_t, 2>& tile) {
        int32_t& known = distances[static_cast<size_t>(Cell(tile[0], tile[1]))];
        if (known < 0) {
            known = Heuristic::NearestEnemy(seen, [&](const std::array<int32_t, 2>& enemy) { return Distance(enemy[0], enemy[1], tile[0], tile[1]); });
        }
        return known;
    };
    return Heuristic::NearestTile(tiles, distanceOf, chosen);
}

void SearchBoard::CountSight()
{
    SeeFromHere();
    for (int32_t index : scoreTouched) {
        touchFlags[static_cast<size_t>(index)] &= static_cast<uint8_t>(~2u);
    }
    scoreTouched.clear();
}

// NOTE: the pieces stay listed as changed: the score's material and approach have yet to look at them.
void SearchBoard::SeeFromHere()
{
    if (sources.size() < pieces.size()) {
        sources.resize(pieces.size());
    }
    for (int32_t index : scoreTouched) {
        const auto i = static_cast<size_t>(index);
        SightCount::Source now;
        if (i < pieces.size() && pieces[i].alive) {
            const Piece& piece = pieces[i];
            now = {piece.x, piece.y, piece.team == side ? piece.sight : -1, piece.castle};
        }
        if (i >= sources.size()) {
            sources.resize(i + 1);
        }
        if (now == sources[i]) {
            continue;
        }
        sight.Move(sources[i], now);
        sources[i] = now;
    }
    sightCounted = true;
    sightWritten = false;
    ++enemyChanges;  // the enemies in sight are found anew
}

void SearchBoard::WriteSight()
{
    if (sightWritten) {
        return;
    }
    sightWritten = true;
    sight.List(sources, side->visibleTiles);
}

int32_t SearchBoard::PathCost(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY)
{
    std::vector<int32_t>& row = pathCosts[static_cast<size_t>(Cell(toX, toY))];
    if (row.empty()) {
        row.assign(pathCosts.size(), -1);
    }
    int32_t& cost = row[static_cast<size_t>(Cell(fromX, fromY))];
    if (cost < 0) {
        cost = ::PathCost(*map, {static_cast<float>(fromX), static_cast<float>(fromY)}, {static_cast<float>(toX), static_cast<float>(toY)});
    }
    return cost;
}

float SearchBoard::Score()
{
    // A build that checks itself works the score out afresh too, before the sight moves on.
    const bool checked = checkPeriod != 0 && (checkCount + 1) % checkPeriod == 0;
    const float expected = checked ? ScoreAfresh() : 0.0f;
    const float score = KeptScore();
    if (checked && score != expected) {
        std::fprintf(stderr, "the search's copy of the board scores %.9g, worked out afresh %.9g\n", static_cast<double>(score), static_cast<double>(expected));
        std::abort();
    }
    return score;
}

float SearchBoard::KeptScore()
{
    SyncThreats();
    ScoreTerms terms;
    terms.material = KeepMaterial();
    terms.castles = keptCastles;
    terms.attacks = AttacksNow();
    const uint64_t enemyMask = ThreatsInSight(terms.threats);
    terms.approach = KeepApproach(enemyMask);
    CountSight();
    terms.vision = sight.Covered();
    return terms.Total();
}

int32_t SearchBoard::KeepMaterial()
{
    // What each changed piece adds to material and castles, against what it added before.
    for (int32_t index : scoreTouched) {
        const auto i = static_cast<size_t>(index);
        if (i >= kept.size()) {
            kept.resize(i + 1);
        }
        const Kept now = i < pieces.size() && pieces[i].alive ? PieceParts(pieces[i]) : Kept{};
        keptMaterial += now.material - kept[i].material;
        keptCastles += now.castles - kept[i].castles;
        kept[i].material = now.material;
        kept[i].castles = now.castles;
    }
    int32_t material = keptMaterial;
    for (size_t owner = 0; owner < gold.size(); ++owner) {
        material += static_cast<int32_t>(owner) == sideOwner ? gold[owner] : -gold[owner];
    }
    return material;
}

int32_t SearchBoard::AttacksNow() const
{
    int32_t attacks = 0;
    // Attacks still to make: none in a complete turn, where every piece of the side is finished.
    for (size_t i = 0; CurrentPiece() >= 0 && i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (piece.alive && piece.team == side && piece.moved && !piece.attacked) {
            for (const Piece& target : pieces) {
                if (InReach(piece, target, piece.x, piece.y)) {
                    const Piece& attacked = FirstOn(target);
                    attacks += ScoreTerms::AttackWorth(piece.damage, attacked.health, attacked.value);
                }
            }
        }
    }
    return attacks;
}

uint64_t SearchBoard::ThreatsInSight(int32_t& threatTerm)
{
    // Summed here and stored once: a sum through the reference could be any of the arrays read.
    int32_t threatScore = 0;
    if (pieces.size() > 64) {
        scoreEnemies.clear();
        for (size_t i = 0; i < pieces.size(); ++i) {
            const Piece& piece = pieces[i];
            const bool own = piece.team == side;
            // A piece of the side adds to the score only by what it threatens.
            if (!piece.alive || (own && rivals[i] == 0) || !Marked(piece.x, piece.y)) {
                continue;
            }
            if (!own) {
                scoreEnemies.push_back({piece.x, piece.y});
            }
            threatScore += rivals[i] != 0 ? ThreatOf(i) : 0;
        }
        threatTerm = threatScore;
        return 0;
    }
    // Among the first 64 pieces: the living enemies in sight, and the pieces with a rival near.
    const uint64_t enemyMask = EnemiesInSight();
    const uint64_t threatening = Threatening();
    // A piece of the side adds to the score only by what it threatens, and only in sight.
    for (uint64_t left = (enemyMask | ownBits) & threatening; left != 0; left &= left - 1) {
        const auto i = static_cast<size_t>(std::countr_zero(left));
        if ((enemyMask >> i & 1) != 0 || Marked(pieces[i].x, pieces[i].y)) {
            threatScore += ThreatOf(i);
        }
    }
    // Enemies never move in the side's turn: which are in sight says what the list holds, made
    // again only when that changes.
    if (enemyMask != scoreMask || !scoreMaskKnown) {
        scoreMask = enemyMask;
        scoreMaskKnown = true;
        TilesOf(enemyMask, scoreEnemies);
    }
    threatTerm = threatScore;
    return enemyMask;
}

int32_t SearchBoard::ThreatOf(size_t i)
{
    const Piece& piece = pieces[i];
    const bool own = piece.team == side;
    int32_t threats = 0;
    for (uint32_t offset : ThreatTiles(static_cast<int32_t>(i), (uint64_t{sumHigh[i]} << 32) | sumLow[i])) {
        const Piece& victim = pieces[static_cast<size_t>(VictimAt(static_cast<int32_t>(i), offset))];
        const int32_t weight = ScoreTerms::AttackWorth(piece.damage, victim.health, victim.value);
        threats += own ? weight : -weight;
    }
    return threats;
}

int32_t SearchBoard::KeepApproach(uint64_t enemyMask)
{
    // With nobody of another owner in sight the approach term stays 0. A piece's cost depends on
    // its tile and the enemies in sight: while those stay, only the changed pieces are looked at,
    // and each tile's cost is worked out once.
    auto approachOf = [&](size_t i) {
        if (i >= pieces.size() || !pieces[i].alive || pieces[i].team != side || scoreEnemies.empty()) {
            return 0;
        }
        const Piece& piece = pieces[i];
        const auto cell = static_cast<size_t>(Cell(piece.x, piece.y));
        if (approachAt[cell] == approachGeneration) {
            return approachCost[cell];
        }
        // The nearest enemy by whole-tile distance, ties to the one earlier in child order.
        std::array<int32_t, 2> goal = scoreEnemies.front();
        int32_t best = Distance(goal[0], goal[1], piece.x, piece.y);
        for (const std::array<int32_t, 2>& enemy : scoreEnemies) {
            const int32_t distance = Distance(enemy[0], enemy[1], piece.x, piece.y);
            if (distance < best) {
                best = distance;
                goal = enemy;
            }
        }
        approachAt[cell] = approachGeneration;
        approachCost[cell] = -PathCost(piece.x, piece.y, goal[0], goal[1]);
        return approachCost[cell];
    };
    if (pieces.size() > 64 ? scoreEnemies != approachEnemies : enemyMask != approachMask) {
        approachEnemies = scoreEnemies;
        approachMask = enemyMask;
        ++approachGeneration;
        kept.resize(std::max(kept.size(), pieces.size()));
        keptApproach = 0;
        for (size_t i = 0; i < kept.size(); ++i) {
            kept[i].approach = approachOf(i);
            keptApproach += kept[i].approach;
        }
    } else {
        for (int32_t index : scoreTouched) {
            const auto i = static_cast<size_t>(index);
            const int32_t now = approachOf(i);
            keptApproach += now - kept[i].approach;
            kept[i].approach = now;
        }
    }
    return keptApproach;
}
