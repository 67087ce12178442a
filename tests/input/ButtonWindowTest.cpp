#include "input/Button.h"
#include "input/Label.h"
#include "support/WindowKit.h"

namespace {
using WidgetDraw = kit::Shown;

// The caption's top is trunc(y + height / 2 - (fontSize / 2 in whole numbers)), worked out by hand.
TEST_F(WidgetDraw, ButtonCaptionIsCentredOnAnIntegerRowAndALabelDrawsFromItsCorner)
{
    const std::tuple<const char*, Vector2, Vector2, int, int> cases[] = {
        {"400", {850, 250}, {100, 40}, 30, 255},   // a menu price button: 250 + 20 - 15
        {"Exit", {500, 100}, {151, 46}, 25, 111},  // odd font: 100 + 23 - 12 (not 110.5 -> 110)
        {"Exit", {500, 100}, {151, 45}, 25, 110},  // 100 + 22.5 - 12 = 110.5 is truncated, not rounded
    };
    for (const auto& [text, at, size, fontSize, top] : cases) {
        auto* button = Show(new Button(at, size, nullptr, 0, text, GREEN, DARKGREEN, BLACK, fontSize));
        kit::ExpectCaption(kit::Frame(root), text, fontSize, static_cast<int>(at.x), static_cast<int>(at.y),
                           static_cast<int>(at.x + size.x), static_cast<int>(at.y + size.y), -1, top);
        root.RemoveChild(button);
        delete button;
    }
    auto* label = Show(new Label("Gold: 400", 20, BLACK));
    label->position = {123.9f, 77.6f};  // truncated to (123, 77)
    kit::ExpectCaption(kit::Frame(root), "Gold: 400", 20, 0, 0, 600, 300, 123, 77);
}

// The pressed colour stands for both pressed and disabled; there is no hover colour.
TEST_F(WidgetDraw, ButtonFillFollowsPressedAndDisabled)
{
    auto* button = Show(new Button({200, 300}, {200, 100}, nullptr, 0, "Play", GREEN, DARKGREEN, BLACK, 18));
    SetMousePosition(300, 350);  // over it: no hover colour either
    for (auto [pressed, disabled] : {std::pair{false, false}, {true, false}, {false, true}}) {
        button->pressed = pressed;
        button->disabled = disabled;
        EXPECT_TRUE(kit::Frame(root).Is(220, 320, pressed || disabled ? DARKGREEN : GREEN))
            << "pressed " << pressed << ", disabled " << disabled;
    }
}
}  // namespace
