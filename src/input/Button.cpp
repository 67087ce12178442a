#include "input/Button.h"

#include <utility>

#include "input/TextStyle.h"

Button::Button(Vector2 position_, Vector2 size_, Receiver* receiver_, int32_t messageId_, std::string text_,
               Color color_, Color pressedColor_, Color textColor_, int32_t fontSize_)
    : text(std::move(text_)),
      color(color_),
      pressedColor(pressedColor_),
      textColor(textColor_),
      fontSize(fontSize_),
      messageId(messageId_),
      receiver(receiver_)
{
    position = position_;
    size = size_;
}

void Button::Draw()
{
    Vector2 p = GetAbsolutePosition();
    Color fill = (pressed || disabled) ? pressedColor : color;
    DrawRectangle(static_cast<int>(p.x), static_cast<int>(p.y), static_cast<int>(size.x), static_cast<int>(size.y),
                  fill);
    DrawRectangleLines(static_cast<int>(p.x), static_cast<int>(p.y), static_cast<int>(size.x),
                       static_cast<int>(size.y), pressedColor);
    int textWidth = TextStyle::Measure(text, fontSize);
    float captionX = p.x + size.x * 0.5f - static_cast<float>(textWidth / 2);
    float captionY = p.y + size.y * 0.5f - static_cast<float>(fontSize / 2);
    TextStyle::Draw(text, static_cast<int32_t>(captionX), static_cast<int32_t>(captionY), fontSize, textColor);
}

void Button::OnClick()
{
    if (receiver != nullptr) {
        receiver->Receive(messageId);
    }
}
