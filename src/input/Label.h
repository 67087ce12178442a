#pragma once

#include <string>

#include "core/Node.h"

// One line of text drawn from its top-left corner.
class Label : public Node {
public:
    Label(std::string text, int32_t fontSize, Color color);

    void Draw() override;

    std::string text;
    int32_t fontSize = 18;
    Color color = BLACK;
};
