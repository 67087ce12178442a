#pragma once

#include <string>

#include "core/Node.h"
#include "input/Receiver.h"

// Announces the next game and waits for "Continue".
class Transition : public Node, public Receiver {
public:
    explicit Transition(std::string text, std::string button = "Continue");

    void Init() override;
    void Receive(int32_t messageId) override;

    std::string text;
    std::string button;  // the caption of the button that goes on
};
