#include "input/Label.h"

#include <utility>

Label::Label(std::string text_, int32_t fontSize_, Color color_)
    : text(std::move(text_)), fontSize(fontSize_), color(color_)
{
}

void Label::Draw()
{
    Vector2 p = GetAbsolutePosition();
    DrawText(text.c_str(), static_cast<int>(p.x), static_cast<int>(p.y), fontSize, color);
}
