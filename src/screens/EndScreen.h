#pragma once

#include <string>

#include "core/Node.h"
#include "input/Receiver.h"

// What the end screen says above and below the result code, and the button's caption.
struct EndTexts {
    std::string thanks = "Thanks for playing! Your result is:";
    std::string request = "Please enter this into the microsoft form along with your other answers.";
    std::string button = "Quit";

    bool operator==(const EndTexts&) const = default;
};

// Shows the result code to copy into the questionnaire; "Quit" ends the program.
class EndScreen : public Node, public Receiver {
public:
    EndScreen() = default;
    explicit EndScreen(EndTexts texts);

    void Init() override;
    void Receive(int32_t messageId) override;

    EndTexts texts;
};
