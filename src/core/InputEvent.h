#pragma once

#include <cstdint>

// The inputs the game reacts to; the numbers are fixed.
enum InputCode : int32_t {
    MouseMoved = 0,
    MouseLeft = 1,
    MouseRight = 2,
    KeyW = 3,
    KeyS = 4,
    KeyD = 5,
    KeyA = 6,
    KeyZ = 7,
};

struct InputEvent {
    int32_t code = MouseMoved;
    bool down = true;  // false only for a release
};
