#pragma once

#include <cstdint>
#include <vector>

#include "raylib.h"

class TeamController;
class TileMap;
class Unit;

// What PathCost reports for a target no path reaches: larger than any reachable
// cost on a board of up to 500,000 tiles (a step costs at most 2).
constexpr int32_t unreachablePathCost = 1000000;

// The score of the board for `side`; larger is better. Rebuilds the side's visibleTiles at its end.
float Evaluate(TileMap& map, TeamController* side);
// Gold plus the worth of every piece the side owns.
int32_t TeamWorth(const TileMap& map, const TeamController* side);
// The distinct pieces `unit` could attack after one move, in creation order.
std::vector<Unit*> ThreatSet(const Unit* unit);
// Walking cost of the first path a breadth-first search finds (target counted, start not).
int32_t PathCost(const TileMap& map, Vector2 start, Vector2 target);
// Whole-tile Manhattan distance.
int32_t TileDistance(Vector2 a, Vector2 b);
