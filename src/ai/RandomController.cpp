#include "ai/RandomController.h"

#include <utility>

#include "board/TileMap.h"
#include "board/Unit.h"

RandomController::RandomController(uint32_t seed) : rng(seed)
{
    name = "random";
}

void RandomController::StartTurn()
{
    NotifyUnitsOfTurnStart();
    if (map == nullptr) {
        return;
    }
    // Vision plays no part in the draw: keep it out of every trial and rebuild it once at the end.
    // Trials are not played: the board's observer (a record) hears only the playback.
    map->updateVisibility = false;
    BoardObserver* const observer = std::exchange(map->observer, nullptr);
    for (Unit* piece : map->GetUnitsOf(this)) {
        std::vector<AIAction> actions = generator.GenerateActions(this, piece);
        while (!actions.empty()) {
            // The raw engine output is the same with every standard library; a
            // distribution object is not. The modulo bias is negligible for a few dozen actions.
            AIAction chosen = actions[rng() % actions.size()];
            ApplyAction(chosen);
            plan.push_back(chosen);
            actions = generator.GenerateActions(this, piece);
        }
    }
    // Take the whole turn back: playback applies it again from the starting position.
    for (size_t i = 0; i < plan.size(); ++i) {
        if (!map->history.empty()) {
            map->RestoreSnapshot(static_cast<int32_t>(map->history.size()) - 1);
        }
    }
    map->observer = observer;
    map->updateVisibility = true;
    map->UpdateAllVision();
    executingPlan = true;
}
