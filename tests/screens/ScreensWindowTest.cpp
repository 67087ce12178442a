#include "input/Button.h"
#include "input/Label.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "support/WindowKit.h"

using ScreenWindow = kit::Shown;

// Centred captions: 300 + 100 / 2 - 18 / 2 = 341 and 200 + 100 / 2 - 24 / 2 = 238 from the top.
// The end screen shows the result code as it was when the screen opened, from (50, 60).
TEST_F(ScreenWindow, EachScreenShowsItsButtonAndText)
{
    Node* screen = Show(new TitleScreen());
    {
        kit::Frame frame(root);
        EXPECT_TRUE(frame.Is(240, 380, GREEN)) << "Play's fill, off the caption";
        EXPECT_TRUE(frame.Is(1000, 700, RAYWHITE)) << "background";
        kit::ExpectCaption(frame, "Play", 18, 200, 300, 400, 400, -1, 341);
    }
    root.RemoveChild(screen);
    delete screen;
    screen = Show(new Transition("Next you will play your first game"));
    {
        kit::Frame frame(root);
        EXPECT_TRUE(frame.Is(215, 215, RED)) << "Continue's fill";
        kit::ExpectCaption(frame, "Continue", 24, 200, 200, 400, 300, -1, 238);
        auto* label = dynamic_cast<Label*>(screen->children.at(0));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text, "Next you will play your first game");
    }
    root.RemoveChild(screen);
    delete screen;
    root.resultCode = "a11b02";  // before the screen is attached: it copies the code then
    Show(new EndScreen());
    root.resultCode += "zzz";
    kit::ExpectCaption(kit::Frame(root), "a11b02", 32, 40, 55, 400, 100, 50, 60);
}
