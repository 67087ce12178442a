#pragma once

#include <string>
#include <vector>

#include "core/Node.h"
#include "input/Receiver.h"
#include "input/TextStyle.h"

// What the title screen says: a heading, the introduction's lines and the button's caption.
struct TitleTexts {
    std::string heading = "Torvane";
    std::vector<std::string> lines = {
        "Welcome to my dissertation game!",
        "This is a simple strategy game about taking over castles.",
        "You will play a brief tutorial and a practice game with no AI, followed by two games against two "
        "different enemy AIs.",
        "The focus of this study is on the skill level and strategy of the AI, so pay close attention to its moves.",
        "At the end you will receive a 'result code'. Please enter this into the Microsoft Form as it conveys the "
        "results of the games you played.",
        "You may play the game multiple times. If you do, please record all of your result codes in the Microsoft "
        "form.",
    };
    std::string button = "Play";

    bool operator==(const TitleTexts&) const = default;
};

// Introduces the study and waits for "Play".
class TitleScreen : public Node, public Receiver {
public:
    TitleScreen() = default;
    explicit TitleScreen(TitleTexts texts);

    void Init() override;
    void Receive(int32_t messageId) override;

    TitleTexts texts;

    // Where the texts stand, in window pixels: the heading at the left edge, the first line from
    // x = 100, the others from x = 150, and the button 200 wide.
    static constexpr TextRoom headingRoom = {32, 1600};
    static constexpr TextRoom firstLineRoom = {20, 1600 - 100};
    static constexpr TextRoom lineRoom = {20, 1600 - 150};
    static constexpr TextRoom buttonRoom = {18, 200};
    // The lines stand 30 pixels apart from y = 100; a seventh would touch the button at y = 300 with
    // a font whose letters reach below their size.
    static constexpr size_t maxLines = 6;
};
