#pragma once

#include <cstdint>

// The two-candidate opponent's rules of thumb, as its search asks them of the board's copy.
namespace Heuristic {

// The distance to the nearest enemy when the side sees none.
constexpr int32_t noEnemyDistance = 9999999;
// A tile is taken as the nearest only when its distance is below this: with no enemy in sight,
// no tile is.
constexpr int32_t nearestStart = 99999;

// The smallest distance from a tile to the enemies, each given as a distance by `distanceTo(enemy)`.
template <typename Enemies, typename DistanceTo>
int32_t NearestEnemy(const Enemies& enemies, DistanceTo distanceTo)
{
    int32_t best = noEnemyDistance;
    for (const auto& enemy : enemies) {
        const int32_t distance = distanceTo(enemy);
        best = distance < best ? distance : best;
    }
    return best;
}

// Of `tiles`, the one nearest to an enemy by `distanceOf(tile)`, into `chosen`.
// NOTE: a tile replaces the best only when strictly nearer: ties keep the earlier tile.
// False, and `chosen` unchanged, when no tile is nearer than nearestStart.
template <typename Tiles, typename Tile, typename DistanceOf>
bool NearestTile(const Tiles& tiles, DistanceOf distanceOf, Tile& chosen)
{
    int32_t best = nearestStart;
    bool found = false;
    for (const auto& tile : tiles) {
        const int32_t distance = distanceOf(tile);
        if (distance < best) {
            best = distance;
            chosen = tile;
            found = true;
        }
    }
    return found;
}

// The most valuable of the pieces offered, worth more than nothing. Offered in any order,
// equals go to the first created (smallest serial); offered in creation order, to the first.
struct MostValuable {
    int32_t value = 0;
    uint64_t serial = 0;
    bool chosen = false;

    bool Offer(int32_t candidateValue, uint64_t candidateSerial)
    {
        if (candidateValue > value || (chosen && candidateValue == value && candidateSerial < serial)) {
            value = candidateValue;
            serial = candidateSerial;
            chosen = true;
            return true;
        }
        return false;
    }
};

}  // namespace Heuristic
