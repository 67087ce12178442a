#pragma once

#include <string>

#include "input/Clickable.h"
#include "input/Receiver.h"

// A filled rectangle with a centred caption that tells its receiver when clicked.
class Button : public Clickable {
public:
    Button(Vector2 position, Vector2 size, Receiver* receiver, int32_t messageId, std::string text, Color color,
           Color pressedColor, Color textColor, int32_t fontSize);

    void Draw() override;
    void OnClick() override;

    std::string text = "none";
    Color color = RED;
    Color pressedColor = MAROON;
    Color textColor = BLACK;
    int32_t fontSize = 10;
    int32_t messageId = 0;
    Receiver* receiver = nullptr;
};
