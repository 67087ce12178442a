#include "input/Button.h"
#include "input/Label.h"
#include "screens/Transition.h"
#include "support/WindowKit.h"

using TransitionWindow = kit::Shown;

// Continue's caption: 200 + 100 / 2 - 24 / 2 = 238 from the top, centred on x 300.
TEST_F(TransitionWindow, ShowsItsTextAndARedContinueButton)
{
    Node* screen = Show(new Transition("Next you will play your first game"));
    ASSERT_EQ(screen->children.size(), 2u);
    auto* label = dynamic_cast<Label*>(screen->children[0]);
    auto* button = dynamic_cast<Button*>(screen->children[1]);
    ASSERT_TRUE(label != nullptr && button != nullptr);
    EXPECT_EQ(label->text, "Next you will play your first game");
    EXPECT_EQ(label->fontSize, 30);
    EXPECT_EQ(button->text, "Continue");
    kit::Frame frame(root);
    EXPECT_TRUE(frame.Is(215, 215, RED)) << "Continue fill";
    kit::ExpectCaptionAt(frame, "Continue", 24, 201, 201, 399, 299, 300 - MeasureText("Continue", 24) / 2, 238);
}

TEST_F(TransitionWindow, ClickingContinueAsksForTheNextScene)
{
    Show(new Transition("Next you will play your first game"));
    kit::Click(250, 280);
    EXPECT_TRUE(root.advanceScene);
}
