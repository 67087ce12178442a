#include "board/TeamController.h"

#include <algorithm>

#include "board/TileMap.h"
#include "board/Unit.h"

void TeamController::NotifyUnitsOfTurnStart()
{
    if (map == nullptr) {
        return;
    }
    for (Unit* unit : map->GetUnitsOf(this)) {
        unit->OnTurnStart();
    }
}

const std::vector<std::pair<int32_t, int32_t>>& TeamController::SightOffsets(int32_t r)
{
    static std::vector<std::vector<std::pair<int32_t, int32_t>>> byRange;
    if (r < 0) {
        static const std::vector<std::pair<int32_t, int32_t>> none;
        return none;
    }
    if (static_cast<size_t>(r) >= byRange.size()) {
        byRange.resize(static_cast<size_t>(r) + 1);
    }
    std::vector<std::pair<int32_t, int32_t>>& offsets = byRange[static_cast<size_t>(r)];
    if (offsets.empty()) {
        for (int32_t i = 0; i <= r; ++i) {
            for (int32_t j = 0; j <= r - i; ++j) {
                for (auto offset : {std::pair{i, j}, std::pair{-i, j}, std::pair{i, -j}, std::pair{-i, -j}}) {
                    if (std::find(offsets.begin(), offsets.end(), offset) == offsets.end()) {
                        offsets.push_back(offset);
                    }
                }
            }
        }
    }
    return offsets;
}

void TeamController::UpdateVision()
{
    visibleTiles.clear();
    if (map == nullptr) {
        return;
    }
    gridHeight = static_cast<int32_t>(map->tiles.size());
    gridWidth = gridHeight > 0 ? static_cast<int32_t>(map->tiles.front().size()) : 0;
    size_t cells = static_cast<size_t>(gridWidth) * static_cast<size_t>(gridHeight);
    if (listedStamp.size() != cells) {
        listedStamp.assign(cells, 0);
        stamp = 0;
    }
    ++stamp;
    for (Unit* unit : map->Units()) {
        if (unit->team != this) {
            continue;
        }
        Vector2 tile = unit->GetTile();
        auto ux = static_cast<int32_t>(tile.x);
        auto uy = static_cast<int32_t>(tile.y);
        for (const auto& [dx, dy] : SightOffsets(unit->sightRange)) {
            AddVisibleFast(ux + dx, uy + dy);
        }
    }
    // Every castle is always visible to every side.
    for (Unit* unit : map->Units()) {
        if (unit->isCastle) {
            Vector2 tile = unit->GetTile();
            AddVisibleFast(static_cast<int32_t>(tile.x), static_cast<int32_t>(tile.y));
        }
    }
}

void TeamController::AddVisibleFast(int32_t x, int32_t y)
{
    // Off the board is the outside tile, of kind 3, which no side ever sees.
    if (x < 0 || y < 0 || x >= gridWidth || y >= gridHeight) {
        return;
    }
    if (map->tiles[static_cast<size_t>(y)][static_cast<size_t>(x)].kind == 3) {
        return;
    }
    size_t cell = static_cast<size_t>(y) * static_cast<size_t>(gridWidth) + static_cast<size_t>(x);
    if (listedStamp[cell] != stamp) {
        listedStamp[cell] = stamp;
        visibleTiles.push_back({static_cast<float>(x), static_cast<float>(y)});
    }
}

void TeamController::AddVisibleTile(Vector2 tile)
{
    if (map == nullptr || map->GetTile(tile).kind == 3) {
        return;
    }
    if (!CanSee(tile)) {
        visibleTiles.push_back(tile);
    }
}

bool TeamController::CanSee(Vector2 tile) const
{
    return std::any_of(visibleTiles.begin(), visibleTiles.end(), [&](Vector2 t) { return SameTile(t, tile); });
}
