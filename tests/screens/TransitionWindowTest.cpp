#include <gtest/gtest.h>

#include "core/RootNode.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/Label.h"
#include "input/WindowTestKit.h"
#include "screens/Transition.h"

namespace {
class TransitionWindow : public kit::WindowTest {
protected:
    void SetUp() override
    {
        kit::WindowTest::SetUp();
        InputManager::Instance().root = &root;
        root.AddChild(new Transition("Next you will play your first game"));
    }
    RootNode root;
};
}  // namespace

TEST_F(TransitionWindow, ShowsItsTextAndContinueButton)
{
    Node* screen = root.children.front();
    ASSERT_EQ(screen->children.size(), 2u);
    auto* label = dynamic_cast<Label*>(screen->children[0]);
    auto* button = dynamic_cast<Button*>(screen->children[1]);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(label->text, "Next you will play your first game");
    EXPECT_EQ(label->fontSize, 30);
    EXPECT_EQ(button->text, "Continue");
    kit::Frame frame(root);
    EXPECT_TRUE(kit::Near(frame.At(215, 215), RED, 0)) << "Continue fill " << kit::Rgb(frame.At(215, 215));
}

// 200 + 100 / 2 - 24 / 2 = 238.
TEST_F(TransitionWindow, ContinueCaptionStartsAtRow238)
{
    kit::Box reference = kit::InkOffsetOfText("Continue", 24);
    kit::Frame frame(root);
    kit::Box ink = kit::InkBox(frame, 201, 201, 399, 299);
    ASSERT_FALSE(ink.Empty());
    EXPECT_EQ(ink.top - reference.top, 238);
    EXPECT_TRUE(kit::InkBox(frame, 201, 201, 399, 238).Empty());
}

TEST_F(TransitionWindow, ClickingContinueAsksForTheNextScene)
{
    kit::Click(250, 280);
    EXPECT_TRUE(root.advanceScene);
}
