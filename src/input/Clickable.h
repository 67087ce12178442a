#pragma once

#include "core/Node.h"

// Base of everything the mouse can click: a click is a left press and a left
// release both strictly inside the rectangle from the absolute position to position + size.
class Clickable : public Node {
public:
    bool HandleInput(InputEvent event) override;
    virtual void OnClick() = 0;

    // The mouse in world units: through the active camera when a board is shown.
    static Vector2 MouseWorldPosition();

    Vector2 size = {0.0f, 0.0f};
    bool pressed = false;
    bool disabled = false;
};
