#include "rules/TeamController.h"

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

void TeamController::UpdateVision()
{
    visibleTiles.clear();
    if (map == nullptr) {
        return;
    }
    for (Unit* unit : map->GetUnitsOf(this)) {
        Vector2 tile = unit->GetTile();
        int32_t r = unit->sightRange;
        for (int32_t i = 0; i <= r; ++i) {
            for (int32_t j = 0; j <= r - i; ++j) {
                auto fi = static_cast<float>(i);
                auto fj = static_cast<float>(j);
                AddVisibleTile({tile.x + fi, tile.y + fj});
                AddVisibleTile({tile.x - fi, tile.y + fj});
                AddVisibleTile({tile.x + fi, tile.y - fj});
                AddVisibleTile({tile.x - fi, tile.y - fj});
            }
        }
    }
    // Every castle is always visible to every side.
    for (Castle* castle : map->GetCastles()) {
        AddVisibleTile(castle->GetTile());
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
