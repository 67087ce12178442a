#include "arena/ArenaSides.h"

#include <random>
#include <stdexcept>

#include "ai/HPSController.h"
#include "ai/MinimaxController.h"
#include "ai/RandomController.h"

AIController* MakeArenaSide(const std::string& kind, int side, uint32_t seed, TurnLog& log)
{
    AIController* controller = nullptr;
    if (kind == "minimax") {
        controller = new TimedSide<MinimaxController>(side, kind, log);
        controller->name = "a";
    } else if (kind == "hps") {
        controller = new TimedSide<HPSController>(side, kind, log);
        controller->name = "b";
    } else if (kind == "passive") {
        controller = new TimedSide<PassiveSide>(side, kind, log);
    } else if (kind == "random") {
        // Two random sides in one game must not draw the same numbers.
        std::seed_seq sequence{seed, static_cast<uint32_t>(side)};
        uint32_t sideSeed = 0;
        sequence.generate(&sideSeed, &sideSeed + 1);
        controller = new TimedSide<RandomController>(side, kind, log, sideSeed);
    } else {
        throw std::invalid_argument("unknown opponent kind \"" + kind + "\"");
    }
    return controller;
}
