#pragma once

#include <cstdint>
#include <string>

#include "raylib.h"

class TileMap;

// What a played change did. Tiles are the board's whole-number tile coordinates.
struct BoardChange {
    enum class Kind : int32_t { Move, Attack, Buy, Pass, EndTurn, Forfeit, Undo };
    Kind kind = Kind::Move;
    int32_t side = 0;             // the acting side's index in `teams`; the side to move for EndTurn
    Vector2 from = {0.0f, 0.0f};  // the acting piece's tile (Buy: the castle's)
    Vector2 to = {0.0f, 0.0f};    // Move: destination, Attack: target, Buy: placement
    int32_t unitType = 0;         // Buy only
};

// How a computer side's search of one turn went.
struct ThinkFigures {
    double milliseconds = 0.0;  // search work, summed over the frames it took
    int64_t slices = 0;         // frames it took
    int64_t positions = 0;      // positions scored (complete turns, for the two-candidate search)
    float bestScore = 0.0f;     // score of the plan chosen
};

// Hears of every change that is played on a board, as it happens: a study record writes
// them down. Trial actions of a search are not played and never reach it.
class BoardObserver {
public:
    virtual ~BoardObserver() = default;

    // The board has loaded its map (the file's whole text) and seated both sides; its first
    // end of turn follows.
    virtual void BoardStarted(const TileMap& board, const std::string& mapName, const std::string& mapText) = 0;
    // Called after the change's snapshot is taken, before anything else of it happens.
    virtual void Changed(const TileMap& board, const BoardChange& change) = 0;
    virtual void Thought(const TileMap& board, int32_t side, const ThinkFigures& figures) = 0;
};
