#pragma once

#include <cstdint>
#include <random>

#include "ai/AIController.h"
#include "ai/MinimaxController.h"

// The baseline opponent: a uniformly random legal turn. Piece by piece, in the
// board's order, it draws one of the actions the greedy opponent would weigh at
// that step, until the piece is finished; then it takes the turn back and leaves
// it to the playback, as the scored opponents do.
class RandomController : public AIController {
public:
    explicit RandomController(uint32_t seed);

    void StartTurn() override;

private:
    std::mt19937 rng;
    // Only its action generator is used; it never joins a board.
    MinimaxController generator;
};
