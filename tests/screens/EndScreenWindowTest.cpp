#include <gtest/gtest.h>

#include "core/RootNode.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/Label.h"
#include "input/WindowTestKit.h"
#include "screens/EndScreen.h"

namespace {
class EndScreenWindow : public kit::WindowTest {
protected:
    void SetUp() override
    {
        kit::WindowTest::SetUp();
        InputManager::Instance().root = &root;
        root.resultCode = "a11b02";  // before the screen is attached: it copies the code then
        root.AddChild(new EndScreen());
        screen = root.children.front();
    }
    RootNode root;
    Node* screen = nullptr;
};
}  // namespace

TEST_F(EndScreenWindow, ShowsTheResultCodeCopiedWhenItOpened)
{
    ASSERT_EQ(screen->children.size(), 4u);
    auto* code = dynamic_cast<Label*>(screen->children[1]);
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->text, "a11b02");
    EXPECT_EQ(code->position.x, 50.0f);
    EXPECT_EQ(code->position.y, 60.0f);
    root.resultCode += "zzz";
    EXPECT_EQ(code->text, "a11b02") << "the label keeps the copy taken at Init";

    kit::Box reference = kit::InkOffsetOfText("a11b02", 32);
    kit::Frame frame(root);
    kit::Box ink = kit::InkBox(frame, 40, 55, 400, 100);
    ASSERT_FALSE(ink.Empty()) << "the code is not drawn";
    EXPECT_EQ(ink.left - reference.left, 50);
    EXPECT_EQ(ink.top - reference.top, 60);
}

// Same place and size as the title screen's Play, in red.
TEST_F(EndScreenWindow, QuitIsRedWherePlayWasAndClickingItAsksForTheNextScene)
{
    auto* quit = dynamic_cast<Button*>(screen->children[3]);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->text, "Quit");
    {
        kit::Frame frame(root);
        EXPECT_TRUE(kit::Near(frame.At(240, 380), RED, 0)) << kit::Rgb(frame.At(240, 380));
        EXPECT_TRUE(kit::Near(frame.At(398, 398), RED, 0)) << "inner bottom-right " << kit::Rgb(frame.At(398, 398));
        EXPECT_TRUE(kit::Near(frame.At(410, 350), RAYWHITE, 0)) << "right of it " << kit::Rgb(frame.At(410, 350));
    }
    EXPECT_FALSE(root.advanceScene);
    kit::Click(240, 380);
    EXPECT_TRUE(root.advanceScene);
}
