#include "input/Clickable.h"

#include "core/SceneRoot.h"
#include "input/InputManager.h"

Vector2 Clickable::MouseWorldPosition()
{
    const InputManager& input = InputManager::Instance();
    Vector2 mouse = input.Pointer();
    if (const SceneRoot* root = input.root) {
        Vector2 camera = root->CameraOffset();
        mouse.x += camera.x;
        mouse.y += camera.y;
    }
    return mouse;
}

bool Clickable::HandleInput(InputEvent event)
{
    if (!visible || (parent != nullptr && !parent->IsVisibleInTree())) {
        return false;
    }
    if (disabled || event.code != MouseLeft) {
        return false;
    }
    Vector2 m = MouseWorldPosition();
    Vector2 p = GetAbsolutePosition();
    bool inside = m.x > p.x && m.y > p.y && p.x + size.x > m.x && p.y + size.y > m.y;
    if (event.down) {
        if (inside) {
            pressed = true;
            return true;
        }
        return false;
    }
    if (!pressed) {
        return false;
    }
    // NOTE: a release after our press is consumed even outside, which cancels the click.
    pressed = false;
    if (inside) {
        OnClick();
    }
    return true;
}
