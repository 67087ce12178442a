#pragma once

#include <string>

#include "core/Node.h"
#include "input/Receiver.h"

class Label;

// Shows the result code to copy into the questionnaire; "Quit" ends the program.
class EndScreen : public Node, public Receiver {
public:
    void Init() override;
    void Receive(int32_t messageId) override;
    // Tells the researcher under the code that the study record is not wholly on disk: the file
    // and why its last write failed. An empty reason takes the message away.
    void ShowRecordProblem(const std::string& file, const std::string& reason);

private:
    Label* problem = nullptr;  // made at the first problem; a plain end screen has none
    Label* problemFile = nullptr;
};
