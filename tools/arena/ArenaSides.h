#pragma once

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "board/Unit.h"

// One turn as its side planned it.
struct TurnRecord {
    int side = 0;
    std::string kind;    // the controller kind (ControllerKinds)
    int pieces = 0;      // the side's pieces when its turn started, castles included
    int units = 0;       // of which knights, archers and mages
    double thinkSeconds = 0.0;  // the whole StartTurn and the search it starts
};

// The turns of one game, shared by its two sides.
struct TurnLog {
    std::vector<TurnRecord> turns;
    // Turns that may start; the arena stops the game there, so no side plans past it.
    int turnCap = std::numeric_limits<int>::max();
};

// The passive opponent's turn (income, nothing else) ended from the playback
// instead of inside StartTurn, so that the arena drives both sides the same way:
// two plain AIControllers would end each other's turns recursively without end.
class PassiveSide : public AIController {
public:
    void StartTurn() override
    {
        NotifyUnitsOfTurnStart();
        executingPlan = true;  // an empty plan ends the turn at the first playback step
    }
};

// A controller whose every StartTurn is timed and logged, with the side's size at that moment.
template <class Controller>
class TimedSide : public Controller {
public:
    template <class... Args>
    TimedSide(int side_, std::string kind_, TurnLog& log_, Args&&... args)
        : Controller(std::forward<Args>(args)...), side(side_), kind(std::move(kind_)), log(log_)
    {
    }

    void StartTurn() override
    {
        if (static_cast<int>(log.turns.size()) >= log.turnCap || this->map == nullptr) {
            return;  // the game stops at the cap; a search now would be wasted
        }
        TurnRecord record;
        record.side = side;
        record.kind = kind;
        for (Unit* piece : this->map->GetUnitsOf(this)) {
            ++record.pieces;
            record.units += dynamic_cast<Castle*>(piece) == nullptr ? 1 : 0;
        }
        auto start = std::chrono::steady_clock::now();
        Controller::StartTurn();
        this->FinishThinking();  // no frames here: the search runs to its end at once
        record.thinkSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        log.turns.push_back(record);
    }

private:
    int side;
    std::string kind;
    TurnLog& log;
};

// A new side of the given kind (ControllerKinds) that logs its turns into `log`.
// `seed` feeds the random player; each side draws from its own stream.
AIController* MakeArenaSide(const std::string& kind, int side, uint32_t seed, TurnLog& log);
