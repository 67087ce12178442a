#pragma once

#include "core/Node.h"

// Scrolls a board while W, A, S or D is held, or as a finger drags it. Its position is the world point
// shown at the window's top-left corner.
class CameraNode : public Node {
public:
    static constexpr float scrollSpeed = 10.0f;  // world units per frame

    void Update() override;

    Camera2D camera = {{0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, 1.0f};
};
