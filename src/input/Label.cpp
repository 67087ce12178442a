#include "input/Label.h"

#include <utility>

#include "input/TextStyle.h"

Label::Label(std::string text_, int32_t fontSize_, Color color_)
    : text(std::move(text_)), fontSize(fontSize_), color(color_)
{
}

void Label::Draw()
{
    Vector2 p = GetAbsolutePosition();
    TextStyle::Draw(text, static_cast<int32_t>(p.x), static_cast<int32_t>(p.y), fontSize, color);
}
