#pragma once

#include <cstdint>
#include <cstdlib>

class BoardObserver;
class TeamController;
class TileMap;

// What a board needs from the study that shows it: its two sides, and someone to tell
// when the game is decided. The study's root is the host; a board finds it through the
// input manager's root when it is attached.
class GameHost {
public:
    virtual ~GameHost() = default;

    // The side that moves first; the board's tree owns it from then on.
    virtual TeamController* CreatePlayer() = 0;
    // The next computer side; the board's tree owns it from then on.
    virtual TeamController* TakeOpponent() = 0;
    // Called once, when the victory check decides the game (`winner` null: nobody won).
    virtual void GameDecided(const TileMap& board, const TeamController* winner) = 0;
    // The index of the next game map (0 "Map1.txt", 1 "Map2.txt"): one draw of rand.
    virtual int32_t NextMapIndex() { return rand() % 2; }
    // Whom the board tells of every change played on it; none unless a record is kept.
    virtual BoardObserver* Observer() { return nullptr; }
};
