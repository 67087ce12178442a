#include "input/TextStyle.h"

#include "input/TextFont.h"

namespace {
const TextFont* current = nullptr;
}  // namespace

namespace TextStyle {
void Use(const TextFont* font)
{
    current = font;
}

const TextFont* Current()
{
    return current;
}

void Draw(const std::string& text, int32_t x, int32_t y, int32_t fontSize, Color color)
{
    if (current == nullptr) {
        DrawText(text.c_str(), x, y, fontSize, color);
    } else {
        current->Draw(text, x, y, fontSize, color);
    }
}

int32_t Measure(const std::string& text, int32_t fontSize)
{
    return current == nullptr ? MeasureText(text.c_str(), fontSize) : current->Width(text, fontSize);
}
}  // namespace TextStyle
