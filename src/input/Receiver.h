#pragma once

#include <cstdint>

// Told by a Button when it is clicked, with the button's message identifier.
class Receiver {
public:
    virtual ~Receiver() = default;
    virtual void Receive(int32_t messageId) = 0;
};
