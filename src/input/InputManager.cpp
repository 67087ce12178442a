#include "input/InputManager.h"

#include <cmath>

#include "core/SceneRoot.h"

InputManager& InputManager::Instance()
{
    // NOTE: deliberately never destroyed; it outlives every node.
    static InputManager* instance = new InputManager();
    return *instance;
}

namespace {
float Distance(Vector2 a, Vector2 b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}
}  // namespace

void InputManager::PollInput()
{
    Vector2 delta = GetMouseDelta();
    if (delta.x * delta.x + delta.y * delta.y > 0.0f) {
        Dispatch({MouseMoved, true});
    }
    for (int button = 0; button < 2; ++button) {
        if (IsMouseButtonPressed(button)) {
            Dispatch({button + 1, true});
        }
    }
    for (int button = 0; button < 2; ++button) {
        if (IsMouseButtonReleased(button)) {
            Dispatch({button + 1, false});
        }
    }
    struct KeyCode {
        int key;
        int32_t code;
    };
    static const KeyCode keys[] = {{KEY_W, KeyW}, {KEY_A, KeyA}, {KEY_S, KeyS}, {KEY_D, KeyD}};
    for (const KeyCode& k : keys) {
        if (IsKeyPressed(k.key)) {
            Dispatch({k.code, true});
        }
    }
    for (const KeyCode& k : keys) {
        if (IsKeyReleased(k.key)) {
            Dispatch({k.code, false});
        }
    }
    if (IsKeyPressed(KEY_Z)) {
        Dispatch({KeyZ, true});
    }
    PollTouches();
}

void InputManager::Touch(TouchPhase phase, Vector2 point)
{
    touches.push_back({phase, point});
}

Vector2 InputManager::Pointer() const
{
    return tapping ? touchStart : GetMousePosition();
}

// A finger that lifts within tapSlop of where it landed taps there: a left click, press then
// release. One that wanders further drags the board with it until it lifts, and clicks nothing.
void InputManager::PollTouches()
{
    dragged = {0.0f, 0.0f};
    for (const TouchChange& change : touches) {
        if (change.phase == TouchPhase::Began) {
            fingerDown = true;
            dragging = false;
            touchStart = touchLast = change.point;
            continue;
        }
        if (!fingerDown) {
            continue;
        }
        if (change.phase == TouchPhase::Cancelled) {
            fingerDown = false;
            continue;
        }
        dragging = dragging || Distance(change.point, touchStart) > tapSlop;
        if (dragging) {
            dragged.x += change.point.x - touchLast.x;
            dragged.y += change.point.y - touchLast.y;
            touchLast = change.point;
        }
        if (change.phase == TouchPhase::Ended) {
            fingerDown = false;
            if (!dragging) {
                tapping = true;
                Dispatch({MouseMoved, true});
                Dispatch({MouseLeft, true});
                Dispatch({MouseLeft, false});
                tapping = false;
            }
        }
    }
    touches.clear();
}

void InputManager::Dispatch(InputEvent event)
{
    if (event.down) {
        held.insert(event.code);
    } else {
        held.erase(event.code);
    }
    if (root != nullptr) {
        Node::DispatchInput(root, event);
    }
}
