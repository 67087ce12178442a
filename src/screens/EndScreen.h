#pragma once

#include <string>

#include "core/Node.h"
#include "input/Receiver.h"
#include "input/TextStyle.h"

class Label;

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
    // Tells the researcher under the code that the study record is not wholly on disk: the file
    // and why its last write failed. An empty reason takes the message away.
    void ShowRecordProblem(const std::string& file, const std::string& reason);

    EndTexts texts;

    // The thanks from the window's left edge, the code and the request from x = 50, the button 200 wide.
    static constexpr TextRoom thanksRoom = {32, 1600};
    static constexpr TextRoom codeRoom = {32, 1600 - 50};
    static constexpr TextRoom requestRoom = {32, 1600 - 50};
    static constexpr TextRoom buttonRoom = {18, 200};

private:
    Label* problem = nullptr;  // made at the first problem; a plain end screen has none
    Label* problemFile = nullptr;
};
