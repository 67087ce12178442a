#pragma once

#include "core/Node.h"
#include "input/Receiver.h"

// Introduces the study and waits for "Play".
class TitleScreen : public Node, public Receiver {
public:
    void Init() override;
    void Receive(int32_t messageId) override;
};
