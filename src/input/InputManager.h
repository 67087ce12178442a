#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "core/InputEvent.h"
#include "raylib.h"

class SceneRoot;

// The one process-wide input object: turns raylib's input changes and the browser's touches into
// events, remembers which inputs are held, and offers every event to the tree.
class InputManager {
public:
    enum class TouchPhase { Began, Moved, Ended, Cancelled };
    // How far, in game pixels, a finger may wander and still tap rather than drag.
    static constexpr float tapSlop = 16.0f;

    static InputManager& Instance();

    // Reads this frame's mouse, keyboard and touch changes and dispatches them in a fixed order.
    void PollInput();
    void Dispatch(InputEvent event);
    bool IsHeld(int32_t code) const { return held.count(code) != 0; }

    // One finger's change at `point`, in the window's game coordinates; read at the next poll.
    void Touch(TouchPhase phase, Vector2 point);
    // Where a click lands, in window coordinates: the mouse, or the finger while its tap is dispatched.
    Vector2 Pointer() const;
    // How far a one-finger drag moved since the last poll; the board scrolls by it.
    Vector2 Dragged() const { return dragged; }

    std::set<int32_t> held;
    SceneRoot* root = nullptr;  // not owned: the tree that events are offered to

private:
    InputManager() = default;
    void PollTouches();

    struct TouchChange {
        TouchPhase phase;
        Vector2 point;
    };
    std::vector<TouchChange> touches;  // since the last poll, oldest first
    bool fingerDown = false;
    bool dragging = false;
    Vector2 touchStart = {0.0f, 0.0f};
    Vector2 touchLast = {0.0f, 0.0f};
    Vector2 dragged = {0.0f, 0.0f};
    bool tapping = false;  // while a tap's events are dispatched: they land where the finger did
};
