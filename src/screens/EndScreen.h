#pragma once

#include "core/Node.h"
#include "input/Receiver.h"

// Shows the result code to copy into the questionnaire; "Quit" ends the program.
class EndScreen : public Node, public Receiver {
public:
    void Init() override;
    void Receive(int32_t messageId) override;
};
