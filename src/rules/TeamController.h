#pragma once

#include <array>
#include <vector>

#include "core/Node.h"

class TileMap;

// One side of a game: its gold, colour and what it can see.
class TeamController : public Node {
public:
    virtual void StartTurn() = 0;

    // Turn-start income: every piece of the side hears that its turn begins.
    void NotifyUnitsOfTurnStart();
    // Rebuilds visibleTiles: every tile within sight of the side's pieces, and every castle.
    void UpdateVision();
    void AddVisibleTile(Vector2 tile);
    bool CanSee(Vector2 tile) const;

    int32_t gold = 0;
    std::vector<Vector2> visibleTiles;
    std::array<float, 4> color = {0.0f, 0.0f, 1.0f, 1.0f};
    TileMap* map = nullptr;  // not owned: the board, set when attached
};
