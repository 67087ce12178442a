#include "board/BoardQueries.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "board/Rules.h"
#include "board/TileMap.h"
#include "board/Unit.h"

BoardQueries::BoardQueries(const TileMap& map_) : map(map_)
{
    Refresh();
}

void BoardQueries::Refresh()
{
    int32_t rows = static_cast<int32_t>(map.tiles.size());
    int32_t columns = rows > 0 ? static_cast<int32_t>(map.tiles.front().size()) : 0;
    if (rows != height || columns != width) {
        height = rows;
        width = columns;
        size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
        occupant.assign(cells, nullptr);
        occupantIndex.assign(cells, 0);
        occupantCount.assign(cells, 0);
        occupantStamp.resize(cells);
        ReadTiles();  // clears the stamps
    }
    ++stamp;
    ++refreshes;
    wholeAt = refreshes;
    changeLog.clear();
    const std::vector<Unit*>& units = map.Units();
    pieceX.resize(units.size());
    pieceY.resize(units.size());
    // A new entry matches no position: its tile is always worked out.
    seenAt.resize(units.size(), {std::nanf(""), std::nanf("")});
    pieceCell.resize(units.size());
    seen.resize(units.size());
    changedAt.resize(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        ReadTile(i, units[i]);
        ReadOwner(i, units[i]);
        Enter(i, units[i], pieceCell[i]);
    }
}

// A piece seldom moves between two refreshes: its tile is worked out again only when it does.
bool BoardQueries::ReadTile(size_t i, const Unit* unit)
{
    if (seenAt[i].x == unit->position.x && seenAt[i].y == unit->position.y) {
        return false;
    }
    Vector2 tile = unit->GetTile();
    pieceX[i] = static_cast<int32_t>(tile.x);
    pieceY[i] = static_cast<int32_t>(tile.y);
    seenAt[i] = unit->position;
    changedAt[i] = refreshes;
    const bool onBoard = pieceX[i] >= 0 && pieceY[i] >= 0 && pieceX[i] < width && pieceY[i] < height;
    pieceCell[i] = onBoard ? static_cast<size_t>(pieceY[i]) * static_cast<size_t>(width) + static_cast<size_t>(pieceX[i]) : offBoard;
    return true;
}

bool BoardQueries::ReadOwner(size_t i, const Unit* unit)
{
    const Seen now = {unit, unit->team, unit->serial};
    if (seen[i].unit == now.unit && seen[i].team == now.team && seen[i].serial == now.serial) {
        return false;
    }
    seen[i] = now;
    changedAt[i] = refreshes;
    return true;
}

void BoardQueries::RefreshTouched(const std::vector<const Unit*>& touched)
{
    // NOTE: the log is read from where each caller last stopped; a whole refresh now and then keeps it short.
    if (changeLog.size() > 4096) {
        Refresh();
        return;
    }
    ++refreshes;
    const std::vector<Unit*>& units = map.Units();
    for (const Unit* piece : touched) {
        // The same few pieces are touched again and again, mostly still at the index they had.
        size_t& hint = indexHints[(reinterpret_cast<uintptr_t>(piece) >> 4) % indexHints.size()];
        if (hint >= units.size() || units[hint] != piece) {
            auto at = std::find(units.begin(), units.end(), piece);
            if (at == units.end()) {
                continue;
            }
            hint = static_cast<size_t>(at - units.begin());
        }
        RefreshPiece(hint, units[hint]);
    }
}

void BoardQueries::RefreshPiece(size_t i, Unit* unit)
{
    const size_t before = pieceCell[i];
    if (ReadTile(i, unit)) {
        changeLog.push_back(static_cast<uint32_t>(i));
        Leave(i, before);
        Enter(i, unit, pieceCell[i]);
    }
    if (ReadOwner(i, unit)) {
        changeLog.push_back(static_cast<uint32_t>(i));
    }
}

void BoardQueries::Leave(size_t index, size_t cell)
{
    if (cell == offBoard || occupantStamp[cell] != stamp) {
        return;
    }
    if (--occupantCount[cell] == 0) {
        occupantStamp[cell] = 0;
        return;
    }
    if (occupantIndex[cell] != index) {
        return;
    }
    // Another piece shares the tile: the first of them in child order stands for it now.
    for (size_t i = 0; i < pieceCell.size(); ++i) {
        if (pieceCell[i] == cell) {
            occupant[cell] = map.Units()[i];
            occupantIndex[cell] = i;
            return;
        }
    }
}

void BoardQueries::Enter(size_t index, Unit* unit, size_t cell)
{
    if (cell == offBoard) {
        return;
    }
    if (occupantStamp[cell] != stamp) {
        occupantStamp[cell] = stamp;
        occupant[cell] = unit;
        occupantIndex[cell] = index;
        occupantCount[cell] = 1;
        return;
    }
    ++occupantCount[cell];
    if (index < occupantIndex[cell]) {
        occupant[cell] = unit;
        occupantIndex[cell] = index;
    }
}

Unit* BoardQueries::At(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return nullptr;
    }
    size_t cell = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    return occupantStamp[cell] == stamp ? occupant[cell] : nullptr;
}

void BoardQueries::ReadTiles()
{
    // The stamps start afresh too, so that no count wraps around within a search; until the
    // next Refresh no piece stands anywhere.
    std::fill(occupantStamp.begin(), occupantStamp.end(), 0);
    stamp = 1;
    refreshes = 1;
    wholeAt = 1;
    changeLog.clear();
    remembered.Forget();
    seenAt.clear();
    pieceCell.clear();
    seen.clear();
    changedAt.clear();
    pieceX.clear();
    pieceY.clear();
    entryCost.clear();
    // NOTE: a row longer than the first keeps its extra tiles, but the board is as wide as
    // its first row: they are never entered.
    for (const std::vector<TileType>& row : map.tiles) {
        for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
            entryCost.push_back(row[x].blocked ? Rules::blockedEntryCost : row[x].moveCost);
        }
    }
    rowWords = static_cast<size_t>(width + 2 * bitMargin + 63) / 64 + 1;
    costOneBits.assign(rowWords * static_cast<size_t>(height), 0);
    costTwoBits.assign(rowWords * static_cast<size_t>(height), 0);
    costsFitBits = true;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t cost = entryCost[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            const auto bit = static_cast<size_t>(x + bitMargin);
            const size_t word = static_cast<size_t>(y) * rowWords + bit / 64;
            if (cost == 1) {
                costOneBits[word] |= uint64_t{1} << (bit % 64);
            } else if (cost == 2) {
                costTwoBits[word] |= uint64_t{1} << (bit % 64);
            } else if (cost != Rules::blockedEntryCost) {
                costsFitBits = false;
            }
        }
    }
}

void BoardQueries::RememberReachable(size_t slots)
{
    remembered.Size(slots);
}

uint64_t BoardQueries::Occupied(int32_t x, int32_t y, int32_t speed) const
{
    uint64_t occupied = 0;
    for (size_t i = 0; i < pieceX.size(); ++i) {
        const int32_t dx = pieceX[i] - x;
        const int32_t dy = pieceY[i] - y;
        if (std::abs(dx) + std::abs(dy) <= speed) {
            occupied |= ReachMemo::Bit(dx, dy);
        }
    }
    return occupied;
}

const std::vector<Vector2>& BoardQueries::Reachable(const Unit& unit)
{
    const int32_t speed = unit.speed;
    if (!remembered.Sized() || speed < 0 || speed > rememberedSpeed) {
        Walk(unit);
        return reachable;
    }
    const Vector2 start = unit.GetTile();
    const auto x = static_cast<int32_t>(start.x);
    const auto y = static_cast<int32_t>(start.y);
    const uint64_t occupied = Occupied(x, y, speed);
    reachable.clear();
    if (remembered.Recall(x, y, speed, occupied,
                          [&](int32_t tx, int32_t ty) { reachable.push_back({static_cast<float>(tx), static_cast<float>(ty)}); })) {
        return reachable;
    }
    Walk(unit);
    remembered.Keep(x, y, speed, occupied, reachable.size(), [&](size_t i) {
        return std::array<int32_t, 2>{static_cast<int32_t>(reachable[i].x), static_cast<int32_t>(reachable[i].y)};
    });
    return reachable;
}

void BoardQueries::Walk(const Unit& unit)
{
    reachable.clear();
    const Vector2 start = unit.GetTile();
    walk.Walk(static_cast<int32_t>(start.x), static_cast<int32_t>(start.y), unit.speed, width, height, entryCost,
              [&](size_t cell) { return occupantStamp[cell] == stamp; },
              [&](int32_t x, int32_t y) { reachable.push_back({static_cast<float>(x), static_cast<float>(y)}); });
}


uint32_t BoardQueries::BitWindow(const std::vector<uint64_t>& bits, int32_t x, int32_t y) const
{
    const auto bit = static_cast<size_t>(x - ReachArea::areaColumn + bitMargin);
    const uint64_t* row = bits.data() + static_cast<size_t>(y) * rowWords + bit / 64;
    const size_t shift = bit % 64;
    const uint64_t low = row[0] >> shift;
    return static_cast<uint32_t>(shift == 0 ? low : low | row[1] << (64 - shift));
}

bool BoardQueries::ReachableArea(const Unit& unit, ReachArea& area) const
{
    const int32_t speed = unit.speed;
    if (speed < 0 || speed > rememberedSpeed || !costsFitBits) {
        return false;
    }
    const Vector2 start = unit.GetTile();
    const auto sx = static_cast<int32_t>(start.x);
    const auto sy = static_cast<int32_t>(start.y);
    if (sx < 0 || sy < 0 || sx >= width || sy >= height ||
        occupantStamp[static_cast<size_t>(sy) * static_cast<size_t>(width) + static_cast<size_t>(sx)] != stamp) {
        return false;
    }
    // The free tiles around the start that cost 1 and 2 to enter, row by row.
    constexpr size_t rowCount = std::tuple_size_v<decltype(ReachArea::rows)>;
    std::array<uint32_t, rowCount> costOne{};
    std::array<uint32_t, rowCount> costTwo{};
    const int32_t top = std::max(sy - speed, 0);
    const int32_t bottom = std::min(sy + speed, height - 1);
    for (int32_t y = top; y <= bottom; ++y) {
        const auto row = static_cast<size_t>(y - sy + ReachArea::areaRow);
        costOne[row] = BitWindow(costOneBits, sx, y);
        costTwo[row] = BitWindow(costTwoBits, sx, y);
    }
    for (size_t i = 0; i < pieceX.size(); ++i) {
        const int32_t dx = pieceX[i] - sx;
        const int32_t dy = pieceY[i] - sy;
        if (std::abs(dx) <= speed && std::abs(dy) <= speed) {
            const uint32_t taken = ~(uint32_t{1} << (dx + ReachArea::areaColumn));
            costOne[static_cast<size_t>(dy + ReachArea::areaRow)] &= taken;
            costTwo[static_cast<size_t>(dy + ReachArea::areaRow)] &= taken;
        }
    }
    // Within k points: the tiles within k - 1, their free neighbours that cost 1, and the free
    // neighbours costing 2 of the tiles within k - 2. The start is left out at the end.
    std::array<std::array<uint32_t, rowCount>, 3> within{};  // by points spent, modulo 3
    within[0][ReachArea::areaRow] = uint32_t{1} << ReachArea::areaColumn;
    for (int32_t spent = 1; spent <= speed; ++spent) {
        const std::array<uint32_t, rowCount>& oneBack = within[static_cast<size_t>(spent - 1) % 3];
        const std::array<uint32_t, rowCount>& twoBack = within[static_cast<size_t>(spent + 1) % 3];
        std::array<uint32_t, rowCount>& now = within[static_cast<size_t>(spent) % 3];
        // Nothing lies farther than `spent` rows from the start.
        const auto first = static_cast<size_t>(ReachArea::areaRow - spent);
        const auto last = static_cast<size_t>(ReachArea::areaRow + spent);
        for (size_t row = first; row <= last; ++row) {
            const uint32_t one = (oneBack[row] << 1) | (oneBack[row] >> 1) | oneBack[row - 1] | oneBack[row + 1];
            const uint32_t two = (twoBack[row] << 1) | (twoBack[row] >> 1) | twoBack[row - 1] | twoBack[row + 1];
            now[row] = oneBack[row] | (one & costOne[row]) | (two & costTwo[row]);
        }
    }
    area.rows = within[static_cast<size_t>(speed) % 3];
    area.rows[ReachArea::areaRow] &= ~(uint32_t{1} << ReachArea::areaColumn);
    return true;
}

bool BoardQueries::ReachArea::Within(int32_t dx, int32_t dy, int32_t reach) const
{
    const int32_t top = std::max(dy - reach, -rememberedSpeed);
    const int32_t bottom = std::min(dy + reach, rememberedSpeed);
    for (int32_t row = top; row <= bottom; ++row) {
        const int32_t span = reach - std::abs(dy - row);
        const int32_t low = std::max(dx - span, -rememberedSpeed) + areaColumn;
        const int32_t high = std::min(dx + span, rememberedSpeed) + areaColumn;
        if (low > high) {
            continue;
        }
        const uint32_t columns = (uint32_t{2} << high) - (uint32_t{1} << low);
        if ((rows[static_cast<size_t>(row + areaRow)] & columns) != 0) {
            return true;
        }
    }
    return false;
}
