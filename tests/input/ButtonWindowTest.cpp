#include <gtest/gtest.h>

#include <string>

#include "core/RootNode.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/Label.h"
#include "input/WindowTestKit.h"

namespace {
struct CaptionCase {
    const char* name;
    const char* text;
    Vector2 position;
    Vector2 size;
    int fontSize;
    int captionTop;  // worked out by hand below
};

class ButtonCaption : public kit::WindowTest, public testing::WithParamInterface<CaptionCase> {};

// The caption's horizontal start: half the width minus half the measured text (whole-number
// half), truncated. MeasureText is the font's own metric, so it is taken from raylib.
int CaptionLeft(const CaptionCase& c)
{
    int width = MeasureText(c.text, c.fontSize);
    return static_cast<int>(c.position.x + c.size.x * 0.5f - static_cast<float>(width / 2));
}
}  // namespace

// captionTop = trunc(y + height / 2 - (fontSize / 2 in whole numbers)):
INSTANTIATE_TEST_SUITE_P(
    Buttons, ButtonCaption,
    testing::Values(
        // The title screen's Play: 300 + 50 - 9.
        CaptionCase{"Play", "Play", {200, 300}, {200, 100}, 18, 341},
        // A transition's Continue: 200 + 50 - 12.
        CaptionCase{"Continue", "Continue", {200, 200}, {200, 100}, 24, 238},
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
    RootNode root;
    InputManager::Instance().root = &root;
    root.AddChild(new Button(c.position, c.size, nullptr, 0, c.text, GREEN, DARKGREEN, BLACK, c.fontSize));

    // The font's ink starts a few pixels right of and below the point handed to DrawText.
    kit::Box reference = kit::InkOffsetOfText(c.text, c.fontSize);
    ASSERT_FALSE(reference.Empty());

    kit::Frame frame(root);
    int x0 = static_cast<int>(c.position.x) + 1;
    int y0 = static_cast<int>(c.position.y) + 1;
    int x1 = static_cast<int>(c.position.x + c.size.x) - 1;
    int y1 = static_cast<int>(c.position.y + c.size.y) - 1;
    kit::Box ink = kit::InkBox(frame, x0, y0, x1, y1);
    ASSERT_FALSE(ink.Empty()) << "no caption drawn inside the button";
    EXPECT_EQ(ink.top - reference.top, c.captionTop) << "caption top of \"" << c.text << "\"";
    EXPECT_EQ(ink.left - reference.left, CaptionLeft(c)) << "caption left of \"" << c.text << "\"";
    EXPECT_EQ(ink.bottom - ink.top, reference.bottom - reference.top) << "caption drawn at its font size";
    EXPECT_EQ(ink.right - ink.left, reference.right - reference.left);
    // Nothing of the caption above its line.
    EXPECT_TRUE(kit::InkBox(frame, x0, y0, x1, c.captionTop).Empty());
}

namespace {
class LabelDraw : public kit::WindowTest {};
}  // namespace

TEST_F(LabelDraw, DrawsItsTextFromItsTopLeftCorner)
{
    RootNode root;
    InputManager::Instance().root = &root;
    auto* label = new Label("Gold: 400", 20, BLACK);
    label->position = {123.9f, 77.6f};  // truncated to (123, 77)
    root.AddChild(label);
    kit::Box reference = kit::InkOffsetOfText("Gold: 400", 20);
    kit::Frame frame(root);
    kit::Box ink = kit::InkBox(frame, 0, 0, 600, 300);
    ASSERT_FALSE(ink.Empty());
    EXPECT_EQ(ink.left - reference.left, 123);
    EXPECT_EQ(ink.top - reference.top, 77);
}

namespace {
struct FillCase {
    const char* name;
    bool pressed;
    bool disabled;
    Color expected;
};
class ButtonFill : public kit::WindowTest, public testing::WithParamInterface<FillCase> {};
}  // namespace

// The pressed colour stands for both pressed and disabled; there is no hover colour.
INSTANTIATE_TEST_SUITE_P(States, ButtonFill,
                         testing::Values(FillCase{"AtRest", false, false, GREEN},
                                         FillCase{"Pressed", true, false, DARKGREEN},
                                         FillCase{"Disabled", false, true, DARKGREEN},
                                         FillCase{"PressedAndDisabled", true, true, DARKGREEN}),
                         [](const testing::TestParamInfo<FillCase>& info) { return std::string(info.param.name); });

TEST_P(ButtonFill, FillFollowsPressedAndDisabled)
{
    RootNode root;
    InputManager::Instance().root = &root;
    auto* button = new Button({200, 300}, {200, 100}, nullptr, 0, "Play", GREEN, DARKGREEN, BLACK, 18);
    button->pressed = GetParam().pressed;
    button->disabled = GetParam().disabled;
    root.AddChild(button);
    SetMousePosition(300, 350);  // over it: no hover colour either
    kit::Frame frame(root);
    Color fill = frame.At(220, 320);
    EXPECT_TRUE(kit::Near(fill, GetParam().expected, 0)) << "fill " << kit::Rgb(fill);
}
