#pragma once

#include <string>

#include "core/Node.h"
#include "input/Receiver.h"
#include "input/TextStyle.h"

// Announces the next game and waits for "Continue".
class Transition : public Node, public Receiver {
public:
    explicit Transition(std::string text, std::string button = "Continue");

    void Init() override;
    void Receive(int32_t messageId) override;

    std::string text;
    std::string button;  // the caption of the button that goes on

    // The announcement from the window's left edge; the button 200 wide.
    static constexpr TextRoom textRoom = {30, 1600};
    static constexpr TextRoom buttonRoom = {24, 200};
};
