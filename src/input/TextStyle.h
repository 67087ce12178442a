#pragma once

#include <cstdint>
#include <string>

#include "raylib.h"

class TextFont;

// How wide a text may be where a screen draws it, at the size it draws it.
struct TextRoom {
    int32_t fontSize = 20;
    int32_t width = 1600;
};

// The font that labels, buttons, pieces and screens draw their texts with: raylib's built-in one,
// drawn and measured by DrawText and MeasureText as ever, unless a study names one.
namespace TextStyle {
// Draws with `font` from now on (not owned; it must outlive its use); nullptr for the built-in font.
void Use(const TextFont* font);
const TextFont* Current();
// One line from its top-left corner.
void Draw(const std::string& text, int32_t x, int32_t y, int32_t fontSize, Color color);
int32_t Measure(const std::string& text, int32_t fontSize);
}  // namespace TextStyle
