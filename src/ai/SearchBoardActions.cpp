// What a piece of the search's copy can do: where it can move, what the step search offers it, and
// the two-candidate search's two rules of thumb.
#include <algorithm>

#include "ai/Heuristic.h"
#include "ai/SearchBoard.h"
#include "board/Rules.h"

// Reachable tiles, as BoardQueries finds them and remembers them.
const std::vector<std::array<int32_t, 2>>& SearchBoard::Reachable(int32_t index)
{
    const Piece& piece = pieces[static_cast<size_t>(index)];
    if (piece.speed > ReachMemo::maxSpeed) {
        Walk(piece);
        return reachable;
    }
    return Reachable(piece, OccupiedAround(piece));
}

const std::vector<std::array<int32_t, 2>>& SearchBoard::Reachable(const Piece& piece, uint64_t occupied)
{
    if (Recalled(piece, occupied)) {
        return reachable;
    }
    Walk(piece);
    reachMemo.Keep(piece.x, piece.y, piece.speed, occupied, reachable.size(), [&](size_t i) { return reachable[i]; });
    return reachable;
}

bool SearchBoard::NearestReachable(int32_t index, std::array<int32_t, 2>& chosen)
{
    const Piece& piece = pieces[static_cast<size_t>(index)];
    if (piece.speed > ReachMemo::maxSpeed) {
        const std::vector<std::array<int32_t, 2>>& tiles = Reachable(index);
        return !tiles.empty() && NearestToEnemy(tiles, chosen);
    }
    // The answer follows from the list and the enemies alone: a list met again with the same
    // enemies in sight is not gone through again.
    SeenEnemies();
    const uint64_t occupied = OccupiedAround(piece);
    bool found = false;
    if (reachMemo.RecallNearest(piece.x, piece.y, piece.speed, occupied, enemiesVersion, found, chosen)) {
        return found;
    }
    const std::vector<std::array<int32_t, 2>>& tiles = Reachable(piece, occupied);
    found = !tiles.empty() && NearestToEnemy(tiles, chosen);
    reachMemo.KeepNearest(piece.x, piece.y, piece.speed, occupied, enemiesVersion, found, chosen);
    return found;
}

// The piece's speed is at most ReachMemo::maxSpeed.
uint64_t SearchBoard::OccupiedAround(const Piece& piece) const
{
    // Every row is read in the same 64 tiles from `speed` left of the piece on.
    const auto bit = static_cast<size_t>(piece.x - piece.speed + rowMargin);
    const size_t shift = bit % 64;
    const int32_t top = std::max(-piece.speed, -piece.y);
    const int32_t bottom = std::min(piece.speed, height - 1 - piece.y);
    const uint64_t* row = occupiedRows.data() + static_cast<size_t>(piece.y + top) * rowWords + bit / 64;
    uint64_t occupied = 0;
    for (int32_t dy = top; dy <= bottom; ++dy, row += rowWords) {
        // NOTE: shifted twice, so that a shift of 0 takes nothing from the next word.
        const uint64_t run = (row[0] >> shift) | ((row[1] << 1) << (63 - shift));
        const ReachMemo::RowPick& pick = ReachMemo::Pick(piece.speed, dy);
        occupied |= ((run >> pick.drop) & pick.mask) << pick.start;
    }
    return occupied;
}

bool SearchBoard::Recalled(const Piece& piece, uint64_t occupied)
{
    reachable.clear();
    return reachMemo.Recall(piece.x, piece.y, piece.speed, occupied, [&](int32_t x, int32_t y) { reachable.push_back({x, y}); });
}

void SearchBoard::Walk(const Piece& piece)
{
    reachable.clear();
    walk.Walk(piece.x, piece.y, piece.speed, width, height, entryCost, [&](size_t cell) { return occupant[cell] >= 0; },
              [&](int32_t x, int32_t y) { reachable.push_back({x, y}); });
}

void SearchBoard::FindSpawnTiles(const Piece& castle)
{
    spawnTiles.clear();
    Rules::ForEachSpawnTile(
        castle.x, castle.y, [&](int32_t x, int32_t y) { return OnBoard(x, y) && blocked[static_cast<size_t>(Cell(x, y))] == 0; },
        [&](int32_t x, int32_t y) { return occupant[static_cast<size_t>(Cell(x, y))] < 0; },
        [&](int32_t x, int32_t y) { spawnTiles.push_back({x, y}); });
}

void SearchBoard::Actions(int32_t index, std::vector<Action>& out)
{
    out.clear();
    const Piece& piece = pieces[static_cast<size_t>(index)];
    if (!piece.alive || piece.attacked) {
        return;
    }
    const Action pass = {AIActionKind::Pass, index, 0, 0, 0};
    if (piece.castle) {
        // The searching side pays, by type and then by tile.
        out.push_back(pass);
        FindSpawnTiles(piece);
        for (int32_t type = 0; type < Rules::buyableTypes; ++type) {
            for (size_t i = 0; Rules::CanAfford(gold[static_cast<size_t>(sideOwner)], type) && i < spawnTiles.size(); ++i) {
                out.push_back({AIActionKind::Buy, index, spawnTiles[i][0], spawnTiles[i][1], type});
            }
        }
    } else if (!piece.moved) {
        out.push_back(pass);
        for (const std::array<int32_t, 2>& tile : Reachable(index)) {
            out.push_back({AIActionKind::Move, index, tile[0], tile[1], 0});
        }
    } else {
        // One attack per piece in reach, in child order, on its tile: a shared tile is offered twice.
        for (const Piece& target : pieces) {
            if (InReach(piece, target, piece.x, piece.y)) {
                out.push_back({AIActionKind::Attack, index, target.x, target.y, 0});
            }
        }
    }
}

SearchBoard::Action SearchBoard::CastleCandidate(int32_t index)
{
    const Piece& piece = pieces[static_cast<size_t>(index)];
    const int32_t type = piece.owner < static_cast<int32_t>(gold.size()) ? Rules::DearestAffordable(gold[static_cast<size_t>(piece.owner)]) : -1;
    FindSpawnTiles(piece);
    if (type < 0 || spawnTiles.empty()) {
        return {AIActionKind::Pass, index, 0, 0, 0};
    }
    // With no enemy in sight the unit goes to the first free neighbour.
    std::array<int32_t, 2> tile = spawnTiles.front();
    NearestToEnemy(spawnTiles, tile);
    return {AIActionKind::Buy, index, tile[0], tile[1], type};
}

std::array<SearchBoard::Action, 2> SearchBoard::Candidates(int32_t index)
{
    const Piece& piece = pieces[static_cast<size_t>(index)];
    const Action pass = {AIActionKind::Pass, index, 0, 0, 0};
    if (piece.castle) {
        return {CastleCandidate(index), pass};
    }
    Action first = pass;
    if (piece.moved) {
        // In child order: equals go to the first.
        Heuristic::MostValuable choice;
        for (size_t i = 0; i < pieces.size(); ++i) {
            const Piece& target = pieces[i];
            // The piece attacked on its tile is the first one standing there.
            if (InReach(piece, target, piece.x, piece.y) && choice.Offer(FirstOn(target).value, i)) {
                first = {AIActionKind::Attack, index, target.x, target.y, 0};
            }
        }
        return {first, pass};
    }
    // Its neighbourhood as the pieces stand now: the other pieces' neighbourhoods wait for the next
    // score, by which time many of the trials' changes have been taken back again.
    // With no rival near (as the neighbourhoods count them) it has no threats; that is quicker to
    // recall than the neighbourhood to sum.
    const auto i = static_cast<size_t>(index);
    const bool ofSide = piece.team == side && sideOwner < static_cast<int32_t>(gold.size()) && pieces.size() <= 64;
    const bool rivalNear = !ofSide || RivalNear(piece.x, piece.y, nearSpeed[i] + nearRange[i], nearSpeed[i] + 1);
    const Neighbourhood near = rivalNear ? LiveNeighbours(index) : Neighbourhood{};
    // The most valuable piece it could attack after a move, the first in creation order of equals.
    int32_t victim = -1;
    Heuristic::MostValuable choice;
    for (uint32_t offset : near.rivals == 0 ? noTiles : ThreatTiles(index, near.marks)) {
        const int32_t at = VictimAt(index, offset);
        if (at >= 0 && choice.Offer(pieces[static_cast<size_t>(at)].value, pieces[static_cast<size_t>(at)].serial)) {
            victim = at;
        }
    }
    if (victim >= 0) {
        const Piece& target = pieces[static_cast<size_t>(victim)];
        for (const std::array<int32_t, 2>& tile : Reachable(index)) {
            if (Rules::TileDistance(tile[0], tile[1], target.x, target.y) == 1) {
                first = {AIActionKind::Move, index, tile[0], tile[1], 0};
                break;
            }
        }
    }
    Action second = pass;
    std::array<int32_t, 2> tile = {0, 0};
    // With no enemy in sight there is nothing to walk toward: the piece passes.
    if (NearestReachable(index, tile)) {
        second = {AIActionKind::Move, index, tile[0], tile[1], 0};
    }
    return {first, second};
}
