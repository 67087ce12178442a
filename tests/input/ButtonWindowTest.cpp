#include "input/Button.h"
#include "input/Label.h"
#include "support/WindowKit.h"

namespace {
using WidgetDraw = kit::Shown;

struct CaptionCase {
    const char* name;
    const char* text;
    Vector2 position;
    Vector2 size;
    int fontSize;
    int captionTop;  // worked out by hand below
};

class ButtonCaption : public WidgetDraw, public testing::WithParamInterface<CaptionCase> {};

// captionTop = trunc(y + height / 2 - (fontSize / 2 in whole numbers)):
INSTANTIATE_TEST_SUITE_P(
    Buttons, ButtonCaption,
    testing::Values(
        // (The title screen's Play and a transition's Continue are checked on their screens.)
        // A menu price button: 250 + 20 - 15.
        CaptionCase{"Price", "400", {850, 250}, {100, 40}, 30, 255},
        // Odd font: 100 + 23 - 12 = 111 (halving 25 in floating point would give 110.5 -> 110).
        CaptionCase{"OddFontSize", "Exit", {500, 100}, {151, 46}, 25, 111},
        // Half-pixel result: 100 + 22.5 - 12 = 110.5 is truncated to 110, not rounded.
        CaptionCase{"HalfPixelTruncated", "Exit", {500, 100}, {151, 45}, 25, 110}),
    [](const testing::TestParamInfo<CaptionCase>& info) { return std::string(info.param.name); });

TEST_P(ButtonCaption, IsDrawnAtTheCentredIntegerPosition)
{
    const CaptionCase& c = GetParam();
    Show(new Button(c.position, c.size, nullptr, 0, c.text, GREEN, DARKGREEN, BLACK, c.fontSize));
    // Horizontally: half the width minus half the measured text (whole-number half), truncated.
    // MeasureText is the font's own metric, so it is taken from raylib.
    int halfText = MeasureText(c.text, c.fontSize) / 2;
    int left = static_cast<int>(c.position.x + c.size.x * 0.5f - static_cast<float>(halfText));
    int x0 = static_cast<int>(c.position.x) + 1;
    int y0 = static_cast<int>(c.position.y) + 1;
    int x1 = static_cast<int>(c.position.x + c.size.x) - 1;
    kit::Frame frame(root);
    kit::ExpectCaptionAt(frame, c.text, c.fontSize, x0, y0, x1, static_cast<int>(c.position.y + c.size.y) - 1, left,
                         c.captionTop);
    EXPECT_TRUE(frame.Ink(x0, y0, x1, c.captionTop).Empty()) << "caption ink above its line";
}

TEST_F(WidgetDraw, LabelDrawsItsTextFromItsTopLeftCorner)
{
    auto* label = Show(new Label("Gold: 400", 20, BLACK));
    label->position = {123.9f, 77.6f};  // truncated to (123, 77)
    kit::ExpectCaptionAt(kit::Frame(root), "Gold: 400", 20, 0, 0, 600, 300, 123, 77);
}

struct FillCase {
    const char* name;
    bool pressed;
    bool disabled;
    Color expected;
};
class ButtonFill : public WidgetDraw, public testing::WithParamInterface<FillCase> {};

// The pressed colour stands for both pressed and disabled; there is no hover colour.
INSTANTIATE_TEST_SUITE_P(States, ButtonFill,
                         testing::Values(FillCase{"AtRest", false, false, GREEN},
                                         FillCase{"Pressed", true, false, DARKGREEN},
                                         FillCase{"Disabled", false, true, DARKGREEN},
                                         FillCase{"PressedAndDisabled", true, true, DARKGREEN}),
                         [](const testing::TestParamInfo<FillCase>& info) { return std::string(info.param.name); });

TEST_P(ButtonFill, FillFollowsPressedAndDisabled)
{
    auto* button = new Button({200, 300}, {200, 100}, nullptr, 0, "Play", GREEN, DARKGREEN, BLACK, 18);
    button->pressed = GetParam().pressed;
    button->disabled = GetParam().disabled;
    Show(button);
    SetMousePosition(300, 350);  // over it: no hover colour either
    EXPECT_TRUE(kit::Frame(root).Is(220, 320, GetParam().expected));
}
}  // namespace
