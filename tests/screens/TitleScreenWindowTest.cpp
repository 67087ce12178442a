#include "input/Button.h"
#include "screens/TitleScreen.h"
#include "support/WindowKit.h"

namespace {
// The title screen alone under a root, as the scene sequence shows it first.
class TitleScreenWindow : public kit::Shown {
protected:
    void SetUp() override
    {
        kit::Shown::SetUp();
        Show(new TitleScreen());
    }
};
}  // namespace

// Centred caption: 300 + 100 / 2 - 18 / 2 = 341 from the top, half the text's width left of 300.
TEST_F(TitleScreenWindow, PlayIsAGreenButtonWithItsCaptionCentredOnRow341)
{
    auto* play = dynamic_cast<Button*>(root.children.front()->children.back());
    ASSERT_TRUE(play != nullptr && play->text == "Play") << "the screen's last child is its Play button";
    kit::Frame frame(root);
    EXPECT_TRUE(frame.Is(240, 380, GREEN)) << "button fill, off the caption";
    EXPECT_TRUE(frame.Is(1000, 700, RAYWHITE)) << "background";
    kit::ExpectCaptionAt(frame, "Play", 18, 201, 301, 399, 399, 300 - MeasureText("Play", 18) / 2, 341);
}

TEST_F(TitleScreenWindow, ClickingPlayAsksForTheNextScene)
{
    kit::Click(300, 320);
    EXPECT_TRUE(root.advanceScene);
    EXPECT_EQ(root.children.size(), 1u) << "the scene changes only at the end of the frame";
}

TEST_F(TitleScreenWindow, KeysChangeNothing)
{
    for (int32_t code : {KeyW, KeyA, KeyS, KeyD}) {
        Send(code);
        Send(code, false);
    }
    Send(KeyZ);
    EXPECT_FALSE(root.advanceScene);
    EXPECT_EQ(root.children.size(), 1u);
}
