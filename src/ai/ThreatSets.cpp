#include "ai/ThreatSets.h"

#include <algorithm>
#include <cstdlib>

#include "ai/Evaluator.h"
#include "board/BoardQueries.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "core/Mix.h"

namespace {
// Farther from every tile than any piece reaches, yet safe to take a tile from.
constexpr int32_t farAway = 1 << 28;

}  // namespace

ThreatSets::ThreatSets(const TileMap& map_, BoardQueries& queries_) : map(map_), queries(queries_) {}

void ThreatSets::Forget()
{
    pieces.clear();
    marks.clear();
    neighbourSums.clear();
    rivalsNear.clear();
    updatedAt = 0;
    reaches.Resize(0);
    owners.clear();
    recent.clear();
    memo.Forget();
}

const ThreatSets::Tiles& ThreatSets::Lookup(size_t index)
{
    const Unit& unit = *map.Units()[index];
    return memo.Find(recent[index], pieces[index].Key(neighbourSums[index]), [&](Tiles& out) { Compute(unit, out); });
}

bool ThreatSets::PieceRecord::Near(const PieceRecord& other) const
{
    return NearMask(other.x - x, other.y - y, speed, std::max(range, 0), other.team != team ? -1 : 0, other.castle ? -1 : 0) != 0;
}

uint64_t ThreatSets::PieceRecord::Mark() const
{
    uint64_t where = (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
    // NOTE: Mix(0) is 0: without the 1 a unit of no side on (0, 0) would add nothing to its
    // neighbours' keys, and their threat sets would be remembered as if it were not there.
    return Mix(Mix(reinterpret_cast<uintptr_t>(team) * 2 + (castle ? 1 : 0) + 1) ^ where);
}

uint64_t ThreatSets::PieceRecord::Key(uint64_t neighbours) const
{
    uint64_t where = (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
    uint64_t moves = (static_cast<uint64_t>(static_cast<uint32_t>(speed)) << 32) | static_cast<uint32_t>(range);
    return neighbours + Mix(Mix(moves + 0x9e3779b97f4a7c15ull) ^ where);
}

ThreatSets::PieceRecord ThreatSets::RecordOf(size_t index) const
{
    const Unit* unit = map.Units()[index];
    return {unit, unit->team, unit->serial, queries.PieceX()[index], queries.PieceY()[index], unit->speed, unit->range, unit->isCastle};
}

int32_t ThreatSets::OwnerNumber(const TeamController* team)
{
    auto known = std::find(owners.begin(), owners.end(), team);
    if (known == owners.end()) {
        known = owners.insert(owners.end(), team);
    }
    return static_cast<int32_t>(known - owners.begin());
}

void ThreatSets::Reaches::Resize(size_t count)
{
    if (x.size() == count) {
        return;
    }
    for (std::vector<int32_t>* field : {&x, &y, &speed, &range, &owner, &castle}) {
        field->resize(count, 0);
    }
}

void ThreatSets::Reaches::Set(size_t index, const PieceRecord& piece, int32_t ownerNumber)
{
    x[index] = piece.x;
    y[index] = piece.y;
    speed[index] = piece.speed;
    range[index] = std::max(piece.range, 0);
    owner[index] = ownerNumber;
    castle[index] = piece.castle ? -1 : 0;
}

// NOTE: Near in masks rather than branches, over one array per field. These loops run over
// every piece at each change, whether a piece is near is as good as random to a branch
// predictor, and the compiler can then take several pieces at once.
void ThreatSets::Neighbours(size_t index)
{
    const int32_t* x = reaches.x.data();
    const int32_t* y = reaches.y.data();
    const int32_t* owner = reaches.owner.data();
    const int32_t* castle = reaches.castle.data();
    const int32_t px = x[index];
    const int32_t py = y[index];
    const int32_t pspeed = reaches.speed[index];
    const int32_t prange = reaches.range[index];
    const int32_t powner = owner[index];
    uint64_t sum = 0;
    int32_t rivals = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int32_t rival = -static_cast<int32_t>(owner[i] != powner);
        const int32_t near = NearMask(x[i] - px, y[i] - py, pspeed, prange, rival, castle[i]);
        sum += marks[i] & static_cast<uint64_t>(static_cast<int64_t>(near));
        rivals -= near & rival;
    }
    neighbourSums[index] = sum;
    rivalsNear[index] = rivals;
}

void ThreatSets::Count(const Change& change)
{
    const int32_t* x = reaches.x.data();
    const int32_t* y = reaches.y.data();
    const int32_t* speed = reaches.speed.data();
    const int32_t* range = reaches.range.data();
    const int32_t* owner = reaches.owner.data();
    uint64_t* sums = neighbourSums.data();
    int32_t* rivals = rivalsNear.data();
    // A piece that was not there, or is not any more, stands too far to be anybody's neighbour.
    auto where = [](const PieceRecord& piece) { return piece.unit != nullptr ? piece : PieceRecord{.x = farAway, .y = farAway}; };
    const PieceRecord gone = where(change.before);
    const PieceRecord come = where(change.now);
    const int32_t goneCastle = gone.castle ? -1 : 0;
    const int32_t comeCastle = come.castle ? -1 : 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int32_t goneRival = -static_cast<int32_t>(owner[i] != change.ownerBefore);
        const int32_t comeRival = -static_cast<int32_t>(owner[i] != change.ownerNow);
        const int32_t wasNear = NearMask(x[i] - gone.x, y[i] - gone.y, speed[i], range[i], goneRival, goneCastle);
        const int32_t isNear = NearMask(x[i] - come.x, y[i] - come.y, speed[i], range[i], comeRival, comeCastle);
        sums[i] += (change.markNow & static_cast<uint64_t>(static_cast<int64_t>(isNear))) -
                   (change.markBefore & static_cast<uint64_t>(static_cast<int64_t>(wasNear)));
        rivals[i] += (isNear & comeRival & 1) - (wasNear & goneRival & 1);
    }
}

// Takes the piece at `i` of the `units` on the board as it stands now, noting a change.
void ThreatSets::Look(size_t i, size_t units)
{
    PieceRecord now = i < units ? RecordOf(i) : PieceRecord{};
    if (now == pieces[i]) {
        return;
    }
    const uint64_t mark = now.unit != nullptr ? now.Mark() : 0;
    const int32_t owner = OwnerNumber(now.team);
    // NOTE: field by field: a whole record built first and copied made the processor wait
    // for its own stores to land.
    Change& change = changes.emplace_back();
    change.index = i;
    change.before = pieces[i];
    change.now = now;
    change.markBefore = marks[i];
    change.markNow = mark;
    change.ownerBefore = reaches.owner[i];
    change.ownerNow = owner;
    pieces[i] = now;
    marks[i] = mark;
    reaches.Set(i, now, owner);
}

void ThreatSets::Update()
{
    const std::vector<Unit*>& board = map.Units();
    const size_t units = board.size();
    changes.clear();
    const size_t known = pieces.size();
    const std::vector<uint32_t>& log = queries.ChangeLog();
    // Since the last whole refresh the queries list the pieces that changed: no other needs a look.
    const bool logged = known == units && queries.LogCovers(updatedAt, logRead);
    const size_t count = std::max(units, known);
    pieces.resize(count);
    reaches.Resize(count);
    marks.resize(count, 0);
    if (logged) {
        for (size_t k = logRead; k < log.size(); ++k) {
            Look(log[k], units);
        }
    } else {
        const std::vector<uint32_t>& changedAt = queries.ChangedAt();
        for (size_t i = 0; i < count; ++i) {
            // NOTE: a piece's speed, range and kind never change, and Forget starts every search afresh.
            if (i < units && i < known && changedAt[i] <= updatedAt) {
                continue;
            }
            Look(i, units);
        }
    }
    logRead = log.size();
    pieces.resize(units);
    reaches.Resize(units);
    updatedAt = queries.RefreshNumber();
    marks.resize(units);
    neighbourSums.resize(units, 0);
    rivalsNear.resize(units, 0);
    recent.resize(units);
    for (const Change& change : changes) {
        Count(change);
    }
    // A piece that moved itself has its whole neighbourhood looked at again.
    for (const Change& change : changes) {
        if (change.index < units) {
            Neighbours(change.index);
        }
    }
}

const std::vector<Unit*>& ThreatSets::Of(const Unit& unit)
{
    const std::vector<Unit*>& units = map.Units();
    auto at = std::find(units.begin(), units.end(), &unit);
    const Tiles* tiles = &askedTiles;
    if (at == units.end()) {
        Compute(unit, askedTiles);
    } else {
        // The kept keys, brought to the board as it stands: the few pieces changed since the
        // last evaluation cost less than the piece's key found anew over every piece.
        Update();
        tiles = &At(static_cast<size_t>(at - units.begin()));
    }
    askedPieces.clear();
    for (uint32_t tile : *tiles) {
        askedPieces.push_back(VictimAt(unit, tile));
    }
    // NOTE: ordered by creation number, not by address, so that the same position
    // gives the same choice in every run.
    std::sort(askedPieces.begin(), askedPieces.end(), [](const Unit* a, const Unit* b) { return a->serial < b->serial; });
    return askedPieces;
}

Unit* ThreatSets::VictimAt(const Unit& threat, uint32_t offset) const
{
    const Vector2 from = threat.GetTile();
    return VictimFrom(static_cast<int32_t>(from.x), static_cast<int32_t>(from.y), offset);
}

Unit* ThreatSets::VictimAt(size_t index, uint32_t offset) const
{
    return VictimFrom(queries.PieceX()[index], queries.PieceY()[index], offset);
}

Unit* ThreatSets::VictimFrom(int32_t fromX, int32_t fromY, uint32_t offset) const
{
    const int32_t x = fromX + ThreatMemo::OffsetX(offset);
    const int32_t y = fromY + ThreatMemo::OffsetY(offset);
    Unit* victim = queries.At(x, y);
    return victim != nullptr ? victim : map.GetUnitAt({static_cast<float>(x), static_cast<float>(y)});
}

void ThreatSets::Compute(const Unit& unit, Tiles& out)
{
    BoardQueries::ReachArea area;
    if (!queries.ReachableArea(unit, area)) {
        ComputeFromList(unit, out);
        return;
    }
    out.clear();
    const std::vector<Unit*>& units = map.Units();
    const Vector2 start = unit.GetTile();
    const auto sx = static_cast<int32_t>(start.x);
    const auto sy = static_cast<int32_t>(start.y);
    const int32_t* pieceX = queries.PieceX().data();
    const int32_t* pieceY = queries.PieceY().data();
    for (size_t i = 0; i < units.size(); ++i) {
        const Unit* piece = units[i];
        if (piece->team == unit.team) {
            continue;
        }
        const int32_t dx = pieceX[i] - sx;
        const int32_t dy = pieceY[i] - sy;
        const int32_t reach = Rules::AttackReach(unit.range, piece->isCastle);
        if (std::abs(dx) + std::abs(dy) > unit.speed + reach || !area.Within(dx, dy, reach)) {
            continue;
        }
        // Pieces sharing a tile are one target: the first one standing there.
        const uint32_t packed = (static_cast<uint32_t>(dx) << 16) | (static_cast<uint32_t>(dy) & 0xffffu);
        if (std::find(out.begin(), out.end(), packed) == out.end()) {
            out.push_back(packed);
        }
    }
}

void ThreatSets::ComputeFromList(const Unit& unit, Tiles& out)
{
    out.clear();
    const std::vector<Vector2>& reachable = queries.Reachable(unit);
    const Vector2 start = unit.GetTile();
    // A piece is threatened when some reachable tile has it in reach: that is when
    // it would be among the attack targets from that tile.
    for (Unit* piece : map.Units()) {
        if (piece->team == unit.team) {
            continue;
        }
        Vector2 tile = piece->GetTile();
        const int32_t reach = Rules::AttackReach(unit.range, piece->isCastle);
        // Every step costs at least 1, so no reachable tile is farther from the start than the speed.
        if (TileDistance(tile, start) > unit.speed + reach) {
            continue;
        }
        bool inReach = std::any_of(reachable.begin(), reachable.end(), [&](Vector2 from) { return TileDistance(tile, from) <= reach; });
        if (!inReach) {
            continue;
        }
        // Pieces sharing a tile are one target: the first one standing there.
        const uint32_t packed = ThreatMemo::PackOffset(static_cast<int32_t>(tile.x - start.x), static_cast<int32_t>(tile.y - start.y));
        if (std::find(out.begin(), out.end(), packed) == out.end()) {
            out.push_back(packed);
        }
    }
}

