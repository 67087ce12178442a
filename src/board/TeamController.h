#pragma once

#include <array>
#include <utility>
#include <vector>

#include "core/Node.h"

class TileMap;
class Unit;

// One side of a game: its gold, colour and what it can see.
class TeamController : public Node {
public:
    virtual void StartTurn() = 0;
    // A click on one of the side's units; only the human side acts on it.
    virtual void SelectUnit(Unit*) {}
    // True while the side plans its turn; the board must not change meanwhile.
    virtual bool IsThinking() const { return false; }

    // Turn-start income: every piece of the side hears that its turn begins.
    void NotifyUnitsOfTurnStart();
    // Rebuilds visibleTiles: every tile within sight of the side's pieces, and every castle.
    void UpdateVision();
    void AddVisibleTile(Vector2 tile);
    bool CanSee(Vector2 tile) const;
    // The tiles within Manhattan distance r, in the order UpdateVision adds them
    // (i = 0..r, j = 0..r-i, then the four mirror images), each once.
    static const std::vector<std::pair<int32_t, int32_t>>& SightOffsets(int32_t r);

    int32_t gold = 0;
    std::vector<Vector2> visibleTiles;
    std::array<float, 4> color = {0.0f, 0.0f, 1.0f, 1.0f};
    TileMap* map = nullptr;  // not owned: the board, set when attached

private:
    // Adds an in-board tile unless already listed, using the grid below instead of a scan.
    void AddVisibleFast(int32_t x, int32_t y);

    // Per tile of the board: listed in visibleTiles during the current rebuild.
    std::vector<uint32_t> listedStamp;
    uint32_t stamp = 0;
    int32_t gridWidth = 0;
    int32_t gridHeight = 0;
};
