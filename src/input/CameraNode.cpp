#include "input/CameraNode.h"

#include <cmath>

#include "input/InputManager.h"

void CameraNode::Update()
{
    const InputManager& input = InputManager::Instance();
    float dy = static_cast<float>(input.IsHeld(KeyS)) - static_cast<float>(input.IsHeld(KeyW));
    float dx = static_cast<float>(input.IsHeld(KeyD)) - static_cast<float>(input.IsHeld(KeyA));
    float length = std::sqrt(dx * dx + dy * dy);
    // Diagonal scrolling is as fast as straight scrolling.
    if (length > 0.0f) {
        dx /= length;
        dy /= length;
    }
    // A dragging finger carries the board with it.
    position.x += dx * scrollSpeed - input.Dragged().x;
    position.y += dy * scrollSpeed - input.Dragged().y;
    camera.offset = {-position.x, -position.y};
}
