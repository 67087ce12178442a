#include "input/Button.h"
#include "input/Label.h"
#include "screens/TitleScreen.h"
#include "screens/EndScreen.h"
#include "screens/Transition.h"
#include "support/WindowKit.h"

namespace {
using ScreenWindow = kit::Shown;

}  // namespace

// Centred captions: 300 + 100 / 2 - 18 / 2 = 341 and 200 + 100 / 2 - 24 / 2 = 238 from the top.
TEST_F(ScreenWindow, TitleAndTransitionShowTheirButtonsWithCentredCaptions)
{
    Show(new TitleScreen());
    {
        kit::Frame frame(root);
        EXPECT_TRUE(frame.Is(240, 380, GREEN)) << "Play's fill, off the caption";
        EXPECT_TRUE(frame.Is(1000, 700, RAYWHITE)) << "background";
        kit::ExpectCentredCaption(frame, "Play", 18, 200, 300, 400, 400, 341);
    }
    root.RemoveChild(root.children.front());
    Node* screen = Show(new Transition("Next you will play your first game"));
    auto* label = dynamic_cast<Label*>(screen->children.at(0));
    ASSERT_TRUE(label != nullptr && label->text == "Next you will play your first game");
    kit::Frame frame(root);
    EXPECT_TRUE(frame.Is(215, 215, RED)) << "Continue's fill";
    kit::ExpectCentredCaption(frame, "Continue", 24, 200, 200, 400, 300, 238);
}

// Play, Continue and Quit each ask for the next scene; the scene changes only at the end of the frame.
TEST_F(ScreenWindow, EachScreensButtonAsksForTheNextScene)
{
    const std::pair<Node*, std::pair<int, int>> screens[] = {
        {new TitleScreen(), {300, 320}}, {new Transition("t"), {250, 280}}, {new EndScreen(), {240, 380}}};
    for (const auto& [screen, point] : screens) {
        Show(screen);
        root.advanceScene = false;
        kit::Click(point.first, point.second);
        EXPECT_TRUE(root.advanceScene) << "click at (" << point.first << "," << point.second << ")";
        EXPECT_EQ(root.children.size(), 1u);
        root.RemoveChild(screen);
        delete screen;
    }
}
