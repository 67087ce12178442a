#include "ai/SearchBoard.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>

#include "ai/Evaluator.h"
#include "ai/Heuristic.h"
#include "ai/ScoreTerms.h"
#include "board/Rules.h"
#include "board/TeamController.h"
#include "board/TileMap.h"
#include "board/Unit.h"
#include "core/Mix.h"

// The loops over every piece in a version for wider vectors where the build asks for one (see
// CMakeLists.txt); they count in integers only, so every version gives the same answers.
#if defined(TORVANE_WIDE_LOOPS)
#define TORVANE_WIDE_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define TORVANE_WIDE_LOOP
#endif

namespace {
// Where a piece that is not on the board stands for the neighbourhoods: near nobody.
constexpr int32_t farAway = 1 << 28;

int32_t Distance(int32_t ax, int32_t ay, int32_t bx, int32_t by)
{
    return Rules::TileDistance(ax, ay, bx, by);
}

// How many pieces, as the neighbourhoods see them now, a piece of `range` on (px, py) could attack:
// those of another owner within the range, castles from next door.
TORVANE_WIDE_LOOP int32_t CountInReach(size_t count, const int32_t* __restrict x, const int32_t* __restrict y, const int32_t* __restrict owner,
                                       const int32_t* __restrict castle, int32_t px, int32_t py, int32_t range, int32_t pieceOwner)
{
    int32_t targets = 0;
    for (size_t j = 0; j < count; ++j) {
        const int32_t reach = Rules::AttackReach(range, castle[j]);
        targets += static_cast<int32_t>(owner[j] != pieceOwner) & static_cast<int32_t>(std::abs(x[j] - px) + std::abs(y[j] - py) <= reach);
    }
    return targets;
}

uint64_t MarkOf(int32_t x, int32_t y, int32_t owner, bool castle)
{
    const uint64_t where = (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
    return Mix(Mix(static_cast<uint64_t>(owner) * 2 + (castle ? 1 : 0) + 1) ^ where);
}

// Of the first `count` (at most 64) values, a bit for each that is not 0.
TORVANE_WIDE_LOOP uint64_t NonZeroBits(size_t count, const int32_t* __restrict values)
{
    uint64_t bits = 0;
    for (size_t j = 0; j < count; ++j) {
        bits |= static_cast<uint64_t>(values[j] != 0) << j;
    }
    return bits;
}

// The marks of the neighbourhood of a piece at (px, py), combined, and the rivals in it.
struct NeighbourSum {
    uint32_t low = 0;
    uint32_t high = 0;
    int32_t rivals = 0;
};

// Takes a piece's mark as it was out of every neighbourhood it was in, and adds it as it is now to
// every one it is in; and sums the piece's own neighbourhood where it stands now, of `nowSpeed` and
// `nowRange`, in the same pass. NOTE: no array aliases another, so that the compiler takes several
// pieces at once.
TORVANE_WIDE_LOOP NeighbourSum MoveMark(size_t count, const int32_t* __restrict x, const int32_t* __restrict y, const int32_t* __restrict owner,
                                        const int32_t* __restrict castle, const uint32_t* __restrict markLow,
                                        const uint32_t* __restrict markHigh, const int32_t* __restrict speed, const int32_t* __restrict range,
                                        uint32_t* __restrict low, uint32_t* __restrict high, int32_t* __restrict rival,
                                        const SearchBoard::NearPiece& before, const SearchBoard::NearPiece& now, int32_t nowSpeed,
                                        int32_t nowRange)
{
    const auto nowLow = static_cast<uint32_t>(now.mark);
    const auto nowHigh = static_cast<uint32_t>(now.mark >> 32);
    const auto beforeLow = static_cast<uint32_t>(before.mark);
    const auto beforeHigh = static_cast<uint32_t>(before.mark >> 32);
    NeighbourSum own;
    for (size_t j = 0; j < count; ++j) {
        const int32_t goneRival = -static_cast<int32_t>(owner[j] != before.owner);
        const int32_t comeRival = -static_cast<int32_t>(owner[j] != now.owner);
        const int32_t dx = x[j] - now.x;
        const int32_t dy = y[j] - now.y;
        const auto wasNear = static_cast<uint32_t>(NearMask(x[j] - before.x, y[j] - before.y, speed[j], range[j], goneRival, before.castle));
        const auto isNear = static_cast<uint32_t>(NearMask(dx, dy, speed[j], range[j], comeRival, now.castle));
        low[j] += (nowLow & isNear) - (beforeLow & wasNear);
        high[j] += (nowHigh & isNear) - (beforeHigh & wasNear);
        rival[j] += static_cast<int32_t>((isNear & static_cast<uint32_t>(comeRival) & 1) - (wasNear & static_cast<uint32_t>(goneRival) & 1));
        const int32_t mine = NearMask(dx, dy, nowSpeed, nowRange, comeRival, castle[j]);
        own.low += markLow[j] & static_cast<uint32_t>(mine);
        own.high += markHigh[j] & static_cast<uint32_t>(mine);
        own.rivals -= mine & comeRival;
    }
    return own;
}

TORVANE_WIDE_LOOP NeighbourSum SumNeighbours(size_t count, const int32_t* __restrict x, const int32_t* __restrict y,
                                             const int32_t* __restrict owner, const int32_t* __restrict castle,
                                             const uint32_t* __restrict markLow, const uint32_t* __restrict markHigh, int32_t px, int32_t py,
                                             int32_t speed, int32_t range, int32_t pieceOwner)
{
    NeighbourSum sum;
    for (size_t j = 0; j < count; ++j) {
        const int32_t rival = -static_cast<int32_t>(owner[j] != pieceOwner);
        const int32_t near = NearMask(x[j] - px, y[j] - py, speed, range, rival, castle[j]);
        sum.low += markLow[j] & static_cast<uint32_t>(near);
        sum.high += markHigh[j] & static_cast<uint32_t>(near);
        sum.rivals -= near & rival;
    }
    return sum;
}

NeighbourSum SumOver(const SearchBoard::Placements& at, int32_t px, int32_t py, int32_t speed, int32_t range, int32_t pieceOwner)
{
    return SumNeighbours(at.x.size(), at.x.data(), at.y.data(), at.owner.data(), at.castle.data(), at.low.data(), at.high.data(), px, py,
                         speed, range, pieceOwner);
}
}  // namespace

void SearchBoard::Placements::Resize(size_t count)
{
    x.resize(count, farAway);
    y.resize(count, farAway);
    owner.resize(count, 0);
    castle.resize(count, 0);
    low.resize(count, 0);
    high.resize(count, 0);
}

void SearchBoard::Placements::Set(size_t i, const NearPiece& piece)
{
    x[i] = piece.x;
    y[i] = piece.y;
    owner[i] = piece.owner;
    castle[i] = piece.castle;
    low[i] = static_cast<uint32_t>(piece.mark);
    high[i] = static_cast<uint32_t>(piece.mark >> 32);
}

SearchBoard::SearchBoard() = default;

void SearchBoard::Touch(int32_t piece)
{
    const auto i = static_cast<size_t>(piece);
    if (i >= touchFlags.size()) {
        touchFlags.resize(i + 1, 0);
    }
    if (i >= live.x.size()) {
        live.Resize(i + 1);
        liveSelf.resize(i + 1, 0);
    }
    live.Set(i, NearOf(i));
    if (i < pieces.size()) {
        liveSelf[i] = SelfKey(pieces[i]);
    }
    if (i < 64) {
        const uint64_t bit = uint64_t{1} << i;
        const bool present = i < pieces.size() && pieces[i].alive;
        enemyBits = (enemyBits & ~bit) | (present && pieces[i].team != side ? bit : 0);
        ownBits = (ownBits & ~bit) | (present && pieces[i].team == side ? bit : 0);
    }
    if ((touchFlags[i] & 1) == 0) {
        threatTouched.push_back(piece);
    }
    if ((touchFlags[i] & 2) == 0) {
        scoreTouched.push_back(piece);
    }
    touchFlags[i] = 3;
}

// NOTE: two pieces can share a tile (an undo during the opponent's playback can leave them so):
// the first in child order, the smallest index, answers for it, as the board's queries find it.
void SearchBoard::Arrive(int32_t piece)
{
    const Piece& arriving = pieces[static_cast<size_t>(piece)];
    const auto cell = static_cast<size_t>(Cell(arriving.x, arriving.y));
    if (standing[cell]++ == 0) {
        const auto bit = static_cast<size_t>(arriving.x + rowMargin);
        occupiedRows[static_cast<size_t>(arriving.y) * rowWords + bit / 64] |= uint64_t{1} << (bit % 64);
    }
    if (occupant[cell] < 0 || piece < occupant[cell]) {
        occupant[cell] = piece;
    }
}

void SearchBoard::Leave(int32_t piece)
{
    const Piece& leaving = pieces[static_cast<size_t>(piece)];
    const auto cell = static_cast<size_t>(Cell(leaving.x, leaving.y));
    if (--standing[cell] == 0) {
        const auto bit = static_cast<size_t>(leaving.x + rowMargin);
        occupiedRows[static_cast<size_t>(leaving.y) * rowWords + bit / 64] &= ~(uint64_t{1} << (bit % 64));
    }
    if (occupant[cell] != piece) {
        return;
    }
    occupant[cell] = -1;
    // Whoever else stands there answers now: the first of them in child order.
    for (size_t i = 0; standing[cell] > 0 && i < pieces.size(); ++i) {
        if (static_cast<int32_t>(i) != piece && pieces[i].alive && pieces[i].x == leaving.x && pieces[i].y == leaving.y) {
            occupant[cell] = static_cast<int32_t>(i);
            break;
        }
    }
}

uint64_t SearchBoard::OccupiedRun(int32_t x, int32_t y) const
{
    const auto bit = static_cast<size_t>(x + rowMargin);
    const uint64_t* row = occupiedRows.data() + static_cast<size_t>(y) * rowWords + bit / 64;
    const size_t shift = bit % 64;
    return (row[0] >> shift) | ((row[1] << 1) << (63 - shift));
}

bool SearchBoard::AnyOnTileInReach(const Piece& attacker, int32_t x, int32_t y) const
{
    for (const Piece& piece : pieces) {
        if (piece.x == x && piece.y == y && InReach(attacker, piece, attacker.x, attacker.y)) {
            return true;
        }
    }
    return false;
}

uint64_t SearchBoard::SelfKey(const Piece& piece)
{
    // Where it stands and how it moves and reaches.
    const uint64_t where = (static_cast<uint64_t>(static_cast<uint32_t>(piece.x)) << 32) | static_cast<uint32_t>(piece.y);
    const uint64_t moves = (static_cast<uint64_t>(static_cast<uint32_t>(piece.speed)) << 32) | static_cast<uint32_t>(piece.range);
    return Mix(Mix(moves + 0x9e3779b97f4a7c15ull) ^ where);
}

int32_t SearchBoard::CurrentPiece() const
{
    if (pieces.size() <= 64) {
        return unfinished == 0 ? -1 : static_cast<int32_t>(std::countr_zero(unfinished));
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (piece.alive && piece.team == side && !piece.attacked) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

bool SearchBoard::InReach(const Piece& attacker, const Piece& target, int32_t x, int32_t y) const
{
    return target.alive && target.team != attacker.team && Rules::InReach(x, y, attacker.range, target.x, target.y, target.castle);
}

void SearchBoard::Unfinished(int32_t index)
{
    if (index >= 64) {
        return;
    }
    const auto i = static_cast<size_t>(index);
    const bool open = i < pieces.size() && pieces[i].alive && pieces[i].team == side && !pieces[i].attacked;
    unfinished = (unfinished & ~(uint64_t{1} << i)) | (static_cast<uint64_t>(open) << i);
}

bool SearchBoard::RivalNear(int32_t x, int32_t y, int32_t unitReach, int32_t castleReach)
{
    const uint64_t where = (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 40) ^ (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 20) ^
                           (static_cast<uint64_t>(static_cast<uint32_t>(unitReach)) << 8) ^ static_cast<uint64_t>(static_cast<uint32_t>(castleReach));
    RivalAnswer& answer = rivalAnswers[Mix(enemyBits + where * 0x9e3779b97f4a7c15ull) & (rivalAnswers.size() - 1)];
    if (answer.generation == rivalGeneration && answer.rivals == enemyBits && answer.x == x && answer.y == y && answer.unitReach == unitReach &&
        answer.castleReach == castleReach) {
        return answer.near;
    }
    bool near = false;
    for (uint64_t left = enemyBits; left != 0 && !near; left &= left - 1) {
        const Piece& rival = pieces[static_cast<size_t>(std::countr_zero(left))];
        near = Distance(rival.x, rival.y, x, y) <= (rival.castle ? castleReach : unitReach);
    }
    answer = {enemyBits, x, y, unitReach, castleReach, rivalGeneration, near};
    return near;
}

bool SearchBoard::HasAttackTarget(int32_t index)
{
    const Piece& piece = pieces[static_cast<size_t>(index)];
    // The side's rivals are the living pieces of enemyBits, when the first 64 pieces are all.
    if (piece.team == side && sideOwner < static_cast<int32_t>(gold.size()) && pieces.size() <= 64) {
        return RivalNear(piece.x, piece.y, piece.range, 1);
    }
    // A short reach looks at the few tiles within it (castles are attacked from next door).
    const int32_t reach = std::max(piece.range, 1);
    if (reach <= 2) {
        for (int32_t dy = -reach; dy <= reach; ++dy) {
            const int32_t across = reach - std::abs(dy);
            for (int32_t dx = -across; dx <= across; ++dx) {
                const int32_t other = At(piece.x + dx, piece.y + dy);
                if (other >= 0 && InReach(piece, pieces[static_cast<size_t>(other)], piece.x, piece.y)) {
                    return true;
                }
                // Behind the first piece of a shared tile may stand one of another owner.
                if (other >= 0 && standing[static_cast<size_t>(Cell(piece.x + dx, piece.y + dy))] > 1 &&
                    AnyOnTileInReach(piece, piece.x + dx, piece.y + dy)) {
                    return true;
                }
            }
        }
        return false;
    }
    return CountInReach(live.x.size(), live.x.data(), live.y.data(), live.owner.data(), live.castle.data(), piece.x, piece.y, piece.range, piece.owner) > 0;
}

void SearchBoard::Apply(const Action& action)
{
    Piece& actor = pieces[static_cast<size_t>(action.piece)];
    Undo& entry = undo.emplace_back();
    entry.action = action;
    entry.x = actor.x;
    entry.y = actor.y;
    entry.moved = actor.moved;
    entry.attacked = actor.attacked;
    switch (action.kind) {
    case AIActionKind::Pass:
        if (!actor.moved) {
            actor.moved = true;
            // A unit that still has a target keeps its attack step.
            actor.attacked = actor.attacked || !HasAttackTarget(action.piece);
        } else {
            actor.attacked = true;
        }
        break;
    case AIActionKind::Move:
        Leave(action.piece);
        actor.x = action.x;
        actor.y = action.y;
        Arrive(action.piece);
        actor.moved = true;
        actor.attacked = actor.attacked || !HasAttackTarget(action.piece);
        Touch(action.piece);
        break;
    case AIActionKind::Attack:
        ApplyAttack(entry);
        break;
    case AIActionKind::Buy:
        ApplyBuy(entry);
        break;
    }
    Unfinished(action.piece);
    if (entry.victim >= 0) {
        Unfinished(entry.victim);
    }
    CheckSampled();
}

void SearchBoard::ApplyAttack(Undo& entry)
{
    const Action& action = entry.action;
    Piece& actor = pieces[static_cast<size_t>(action.piece)];
    // A target gone after an undo on the live board is skipped; nothing happens then.
    const int32_t victim = At(action.x, action.y);
    if (victim < 0) {
        return;
    }
    actor.attacked = true;
    Piece& target = pieces[static_cast<size_t>(victim)];
    entry.victim = victim;
    entry.victimHealth = target.health;
    entry.victimTeam = target.team;
    entry.victimOwner = target.owner;
    if (target.castle) {
        target.team = actor.team;
        target.owner = actor.owner;
    } else {
        target.health -= actor.damage;
        if (target.health <= 0) {
            Leave(victim);
            target.alive = false;
        }
    }
    if (target.castle || !target.alive) {
        Touch(victim);
        ++enemyChanges;
    }
}

void SearchBoard::ApplyBuy(Undo& entry)
{
    const Action& action = entry.action;
    Piece& actor = pieces[static_cast<size_t>(action.piece)];
    const Rules::PieceStats info = Rules::StatsOf(action.type);
    if (actor.owner < static_cast<int32_t>(gold.size())) {
        entry.gold = gold[static_cast<size_t>(actor.owner)];
        gold[static_cast<size_t>(actor.owner)] -= TypeInfo(action.type).cost;
    }
    actor.attacked = true;
    Piece bought;
    bought.team = actor.team;
    bought.owner = actor.owner;
    bought.x = action.x;
    bought.y = action.y;
    bought.speed = info.speed;
    bought.range = info.range;
    bought.damage = info.damage;
    bought.health = info.health;
    bought.value = info.value;
    bought.sight = info.sight;
    bought.serial = nextSerial++;
    bought.moved = true;
    bought.attacked = true;
    const auto index = static_cast<int32_t>(pieces.size());
    pieces.push_back(bought);
    Arrive(index);
    if (counted.x.size() < pieces.size()) {
        counted.Resize(pieces.size());
        nearSpeed.push_back(0);
        nearRange.push_back(0);
        sumLow.push_back(0);
        sumHigh.push_back(0);
        rivals.push_back(0);
        recent.emplace_back();
    }
    nearSpeed[static_cast<size_t>(index)] = bought.speed;
    nearRange[static_cast<size_t>(index)] = std::max(bought.range, 0);
    Touch(index);
}

void SearchBoard::TakeBack()
{
    if (undo.empty()) {
        return;
    }
    const Undo& entry = undo.back();
    const Action& action = entry.action;
    Piece& actor = pieces[static_cast<size_t>(action.piece)];
    switch (action.kind) {
    case AIActionKind::Pass:
        break;
    case AIActionKind::Move:
        Leave(action.piece);
        actor.x = entry.x;
        actor.y = entry.y;
        Arrive(action.piece);
        Touch(action.piece);
        break;
    case AIActionKind::Attack:
        if (entry.victim >= 0) {
            Piece& target = pieces[static_cast<size_t>(entry.victim)];
            const bool changed = target.castle || !target.alive;
            target.health = entry.victimHealth;
            target.team = entry.victimTeam;
            target.owner = entry.victimOwner;
            if (!target.alive) {
                target.alive = true;
                Arrive(entry.victim);
            }
            if (changed) {
                Touch(entry.victim);
                ++enemyChanges;
            }
        }
        break;
    case AIActionKind::Buy: {
        if (actor.owner < static_cast<int32_t>(gold.size())) {
            gold[static_cast<size_t>(actor.owner)] = entry.gold;
        }
        Leave(static_cast<int32_t>(pieces.size()) - 1);
        pieces.pop_back();
        Touch(static_cast<int32_t>(pieces.size()));
        --nextSerial;
        break;
    }
    }
    actor.moved = entry.moved;
    actor.attacked = entry.attacked;
    Unfinished(action.piece);
    if (entry.victim >= 0) {
        Unfinished(entry.victim);
    }
    undo.pop_back();
    CheckSampled();
}

AIAction SearchBoard::Live(const Action& action) const
{
    return {action.kind, pieces[static_cast<size_t>(action.piece)].unit, {static_cast<float>(action.x), static_cast<float>(action.y)}, action.type};
}

std::vector<AIAction> SearchBoard::Trials() const
{
    std::vector<AIAction> actions;
    actions.reserve(undo.size());
    for (const Undo& entry : undo) {
        actions.push_back(Live(entry.action));
    }
    return actions;
}

// Brings the neighbourhoods to the pieces as they stand: each changed piece is taken out of every
// neighbourhood it was in and added to every one it is in now, and its own is summed anew.
void SearchBoard::SyncThreats()
{
    if (threatTouched.empty()) {
        return;
    }
    const size_t count = counted.x.size();
    for (int32_t index : threatTouched) {
        const auto i = static_cast<size_t>(index);
        touchFlags[i] &= static_cast<uint8_t>(~1u);
        const NearPiece now = live.Get(i);
        const NearPiece before = counted.Get(i);
        if (now.x == before.x && now.y == before.y && now.owner == before.owner && now.castle == before.castle) {
            continue;
        }
        counted.Set(i, now);
        // The piece's own sum, taken where the others stand now: those yet to be moved here move
        // their marks in and out of it as they go.
        const NeighbourSum own = MoveMark(count, counted.x.data(), counted.y.data(), counted.owner.data(), counted.castle.data(),
                                          counted.low.data(), counted.high.data(), nearSpeed.data(), nearRange.data(), sumLow.data(),
                                          sumHigh.data(), rivals.data(), before, now, nearSpeed[i], nearRange[i]);
        sumLow[i] = own.low;
        sumHigh[i] = own.high;
        rivals[i] = own.rivals;
        touchFlags[i] |= 4;
    }
    // A piece changed but not moved (its health, or a piece bought again in its place) is summed anew.
    for (int32_t index : threatTouched) {
        const auto i = static_cast<size_t>(index);
        if ((touchFlags[i] & 4) == 0 && i < pieces.size() && pieces[i].alive) {
            Recount(index);
        }
        touchFlags[i] &= static_cast<uint8_t>(~4u);
    }
    threatTouched.clear();
}

SearchBoard::NearPiece SearchBoard::NearOf(size_t i) const
{
    if (i >= pieces.size() || !pieces[i].alive) {
        return {farAway, farAway, 0, 0, 0};
    }
    const Piece& piece = pieces[i];
    return {piece.x, piece.y, piece.owner, piece.castle ? -1 : 0, MarkOf(piece.x, piece.y, piece.owner, piece.castle)};
}

uint64_t SearchBoard::Threatening() const
{
    return NonZeroBits(std::min<size_t>(pieces.size(), 64), rivals.data());
}

void SearchBoard::Recount(int32_t index)
{
    const auto i = static_cast<size_t>(index);
    const NeighbourSum sum = SumOver(counted, counted.x[i], counted.y[i], nearSpeed[i], nearRange[i], counted.owner[i]);
    sumLow[i] = sum.low;
    sumHigh[i] = sum.high;
    rivals[i] = sum.rivals;
}

const std::vector<uint32_t>& SearchBoard::ThreatTiles(int32_t index, uint64_t neighbours)
{
    const auto i = static_cast<size_t>(index);
    return threatMemo.Find(recent[i], neighbours + liveSelf[i], [&](std::vector<uint32_t>& out) { ComputeThreats(index, out); });
}

void SearchBoard::ComputeThreats(int32_t index, std::vector<uint32_t>& out)
{
    out.clear();
    const Piece& unit = pieces[static_cast<size_t>(index)];
    // Where it can move: as remembered, or else as a grid of bits when the board allows (no order
    // is needed here); the step search meets a new neighbourhood at nearly every trial, where a walk
    // would cost most.
    const bool listed = unit.speed <= ReachMemo::maxSpeed && Recalled(unit, OccupiedAround(unit));
    aroundUnit.clear();
    for (size_t i = 0; !listed && i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (piece.alive && std::abs(piece.x - unit.x) <= unit.speed && std::abs(piece.y - unit.y) <= unit.speed) {
            aroundUnit.push_back({piece.x - unit.x, piece.y - unit.y});
        }
    }
    const bool inGrid = !listed && reachArea.Find(unit.x, unit.y, unit.speed, aroundUnit);
    const std::vector<std::array<int32_t, 2>>& tiles = listed || inGrid ? reachable : Reachable(index);
    for (const Piece& piece : pieces) {
        if (!piece.alive || piece.team == unit.team) {
            continue;
        }
        const int32_t reach = Rules::AttackReach(unit.range, piece.castle);
        // Every step costs at least 1, so no reachable tile is farther from the start than the speed.
        if (Distance(piece.x, piece.y, unit.x, unit.y) > unit.speed + reach) {
            continue;
        }
        const bool inReach = inGrid ? reachArea.Within(piece.x - unit.x, piece.y - unit.y, reach)
                                    : std::any_of(tiles.begin(), tiles.end(), [&](const std::array<int32_t, 2>& from) {
                                          return Distance(piece.x, piece.y, from[0], from[1]) <= reach;
                                      });
        if (!inReach) {
            continue;
        }
        // Pieces sharing a tile are one target: the first one standing there.
        const uint32_t packed = ThreatMemo::PackOffset(piece.x - unit.x, piece.y - unit.y);
        if (std::find(out.begin(), out.end(), packed) == out.end()) {
            out.push_back(packed);
        }
    }
}

SearchBoard::Neighbourhood SearchBoard::LiveNeighbours(int32_t index) const
{
    const auto i = static_cast<size_t>(index);
    const Piece& piece = pieces[i];
    const NeighbourSum sum = SumOver(live, piece.x, piece.y, nearSpeed[i], nearRange[i], piece.owner);
    return {(uint64_t{sum.high} << 32) | sum.low, sum.rivals};
}
