#include "input/InputManager.h"

#include "core/SceneRoot.h"
#include "raylib.h"

InputManager& InputManager::Instance()
{
    // NOTE: deliberately never destroyed; it outlives every node.
    static InputManager* instance = new InputManager();
    return *instance;
}

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
