// The search's copy taken from the live board, and everything it keeps forgotten.
#include <algorithm>

#include "ai/SearchBoard.h"
#include "board/Rules.h"
#include "board/TeamController.h"
#include "board/TileMap.h"
#include "board/Unit.h"

namespace {
// The reachable tiles remembered (see ReachMemo).
constexpr size_t reachSlots = size_t{1} << 14;
// The answers of whether a rival is near remembered (see RivalNear).
constexpr size_t rivalSlots = size_t{1} << 12;
}  // namespace

bool SearchBoard::Fits(const TileMap& map)
{
    if (map.tiles.empty() || map.tiles.front().empty() || map.tiles.size() > 1024 || map.tiles.front().size() > 1024) {
        return false;
    }
    const auto height = static_cast<int32_t>(map.tiles.size());
    const auto width = static_cast<int32_t>(map.tiles.front().size());
    for (const Unit* unit : map.Units()) {
        const Vector2 tile = unit->GetTile();
        const auto x = static_cast<int32_t>(tile.x);
        const auto y = static_cast<int32_t>(tile.y);
        const bool known = unit->team == nullptr || std::find(map.teams.begin(), map.teams.end(), unit->team) != map.teams.end();
        if (!known || x < 0 || y < 0 || x >= width || y >= height || unit->speed < 0 || unit->sightRange < 0) {
            return false;
        }
    }
    return true;
}

void SearchBoard::Reset(TileMap& board, TeamController* searcher)
{
    map = &board;
    side = searcher;
    height = static_cast<int32_t>(board.tiles.size());
    width = static_cast<int32_t>(board.tiles.front().size());
    const auto cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    sideOwner = OwnerOf(side);
    gold.clear();
    for (const TeamController* team : board.teams) {
        gold.push_back(team->gold);
    }
    entryCost.assign(cells, 0);
    blocked.assign(cells, 0);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const TileType& tile = board.tiles[static_cast<size_t>(y)][static_cast<size_t>(x)];
            entryCost[static_cast<size_t>(Cell(x, y))] = tile.blocked ? Rules::blockedEntryCost : tile.moveCost;
            blocked[static_cast<size_t>(Cell(x, y))] = tile.blocked ? 1 : 0;
        }
    }
    reachArea.ReadTiles(width, height, entryCost);
    ReadPieces();
    ForgetKept();
}

int32_t SearchBoard::OwnerOf(const TeamController* team) const
{
    const auto at = std::find(map->teams.begin(), map->teams.end(), team);
    return static_cast<int32_t>(at - map->teams.begin());  // the count of sides for none
}

int32_t SearchBoard::IndexOf(const Unit* unit) const
{
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (unit != nullptr && pieces[i].unit == unit) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

void SearchBoard::ReadPieces()
{
    occupant.assign(entryCost.size(), -1);
    standing.assign(entryCost.size(), 0);
    rowWords = static_cast<size_t>(width + 2 * rowMargin + 63) / 64 + 1;
    occupiedRows.assign(rowWords * static_cast<size_t>(height), 0);
    pieces.clear();
    nextSerial = 0;
    for (Unit* unit : map->Units()) {
        Piece piece;
        piece.unit = unit;
        piece.team = unit->team;
        piece.owner = OwnerOf(unit->team);
        const Vector2 tile = unit->GetTile();
        piece.x = static_cast<int32_t>(tile.x);
        piece.y = static_cast<int32_t>(tile.y);
        piece.speed = unit->speed;
        piece.range = unit->range;
        piece.damage = unit->damage;
        piece.health = unit->health;
        piece.value = unit->value;
        piece.sight = unit->sightRange;
        piece.serial = unit->serial;
        piece.castle = unit->isCastle;
        piece.moved = unit->hasMoved;
        piece.attacked = unit->hasAttacked;
        nextSerial = std::max(nextSerial, unit->serial + 1);
        pieces.push_back(piece);
        Arrive(static_cast<int32_t>(pieces.size()) - 1);
    }
}

void SearchBoard::ForgetKept()
{
    const size_t cells = entryCost.size();
    undo.clear();
    touchFlags.assign(pieces.size(), 0);
    threatTouched.clear();
    scoreTouched.clear();

    rivalAnswers.resize(rivalSlots);
    ++rivalGeneration;
    reachMemo.Size(reachSlots);
    reachMemo.Forget();
    threatMemo.Forget();
    // Every piece is counted into the neighbourhoods afresh.
    counted.Resize(0);
    counted.Resize(pieces.size());
    nearSpeed.clear();
    nearRange.clear();
    for (const Piece& piece : pieces) {
        nearSpeed.push_back(piece.speed);
        nearRange.push_back(std::max(piece.range, 0));
    }
    sumLow.assign(pieces.size(), 0);
    sumHigh.assign(pieces.size(), 0);
    rivals.assign(pieces.size(), 0);
    recent.assign(pieces.size(), ThreatMemo::Recent{});
    live.Resize(0);
    liveSelf.clear();
    unfinished = 0;
    enemyBits = 0;
    ownBits = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(pieces.size()); ++i) {
        Touch(i);
        Unfinished(i);
    }

    enemiesAt = ~uint64_t{0};
    inSightAt = ~uint64_t{0};
    enemyChanges = 0;
    enemies.clear();
    enemiesMask = 0;
    enemiesMasked = true;
    enemyLists = {};
    enemiesVersion = ++versionsGiven;
    distances.assign(cells, -1);
    startSight.assign(cells, 0);
    for (Vector2 tile : side->visibleTiles) {
        const auto x = static_cast<int32_t>(tile.x);
        const auto y = static_cast<int32_t>(tile.y);
        if (OnBoard(x, y)) {
            startSight[static_cast<size_t>(Cell(x, y))] = 1;
        }
    }

    sightCounted = false;
    sightWritten = true;
    sources.clear();
    sight.Reset(*map);

    scoreEnemies.clear();
    scoreMaskKnown = false;
    approachEnemies.clear();
    approachMask = 0;
    approachCost.assign(cells, 0);
    approachAt.assign(cells, 0);
    approachGeneration = 1;
    kept.clear();
    keptMaterial = 0;
    keptCastles = 0;
    keptApproach = 0;
    // The rows keep their storage from one search to the next: freed and made again, each search
    // would pay the system for it anew.
    pathCosts.resize(cells);
    for (std::vector<int32_t>& row : pathCosts) {
        row.clear();
    }
}
