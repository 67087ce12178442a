#pragma once

#include <cstdint>
#include <set>

#include "core/InputEvent.h"

class SceneRoot;

// The one process-wide input object: turns raylib's input changes into events,
// remembers which inputs are held, and offers every event to the tree.
class InputManager {
public:
    static InputManager& Instance();

    // Reads this frame's mouse and keyboard changes and dispatches them in a fixed order.
    void PollInput();
    void Dispatch(InputEvent event);
    bool IsHeld(int32_t code) const { return held.count(code) != 0; }

    std::set<int32_t> held;
    SceneRoot* root = nullptr;  // not owned: the tree that events are offered to

private:
    InputManager() = default;
};
