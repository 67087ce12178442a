#include "input/Button.h"
#include "input/Label.h"
#include "screens/EndScreen.h"
#include "support/WindowKit.h"

namespace {
class EndScreenWindow : public kit::Shown {
protected:
    void SetUp() override
    {
        kit::Shown::SetUp();
        root.resultCode = "a11b02";  // before the screen is attached: it copies the code then
        screen = Show(new EndScreen());
    }
    Node* screen = nullptr;
};
}  // namespace

TEST_F(EndScreenWindow, ShowsTheResultCodeCopiedWhenItOpened)
{
    ASSERT_EQ(screen->children.size(), 4u);
    auto* code = dynamic_cast<Label*>(screen->children[1]);
    ASSERT_NE(code, nullptr);
    root.resultCode += "zzz";
    EXPECT_EQ(code->text, "a11b02") << "the label keeps the copy taken at Init";
    kit::ExpectCaptionAt(kit::Frame(root), "a11b02", 32, 40, 55, 400, 100, 50, 60);
}

// Same place and size as the title screen's Play, in red.
TEST_F(EndScreenWindow, QuitIsRedWherePlayWas)
{
    auto* quit = dynamic_cast<Button*>(screen->children[3]);
    ASSERT_TRUE(quit != nullptr && quit->text == "Quit");
    kit::Frame frame(root);
    EXPECT_TRUE(frame.Is(240, 380, RED));
    EXPECT_TRUE(frame.Is(398, 398, RED)) << "inner bottom-right";
    EXPECT_TRUE(frame.Is(410, 350, RAYWHITE)) << "right of it";
}
