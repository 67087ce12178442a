#include <gtest/gtest.h>

#include "core/RootNode.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "input/WindowTestKit.h"
#include "screens/TitleScreen.h"
#include "support/TestGame.h"

namespace {
bool SameColor(Color a, Color b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// The title screen alone under a root, as the scene sequence shows it first.
class TitleScreenWindow : public kit::WindowTest {
protected:
    void SetUp() override
    {
        kit::WindowTest::SetUp();
        InputManager::Instance().root = &root;
        root.AddChild(new TitleScreen());
    }
    Button* Play() const { return dynamic_cast<Button*>(root.children.front()->children.back()); }

    RootNode root;
};
}  // namespace

TEST_F(TitleScreenWindow, PlayButtonFillAtItsCentreAndClearColourElsewhere)
{
    Image image = CaptureTree(root);
    Color centre = PixelAt(image, 300 - 60, 350 + 30);  // inside the button, off the caption
    Color empty = PixelAt(image, 1000, 700);
    UnloadImage(image);
    EXPECT_TRUE(SameColor(centre, GREEN)) << "button fill " << int(centre.r) << "," << int(centre.g) << ","
                                          << int(centre.b);
    EXPECT_TRUE(SameColor(empty, RAYWHITE)) << "background " << int(empty.r) << "," << int(empty.g) << ","
                                            << int(empty.b);
}

// 300 + 100 / 2 - 18 / 2 = 341: nothing of "Play" above that row, its ink from there on.
TEST_F(TitleScreenWindow, PlayCaptionStartsAtRow341)
{
    ASSERT_NE(Play(), nullptr);
    EXPECT_EQ(Play()->text, "Play");
    kit::Box reference = kit::InkOffsetOfText("Play", 18);
    kit::Frame frame(root);
    kit::Box ink = kit::InkBox(frame, 201, 301, 399, 399);
    ASSERT_FALSE(ink.Empty());
    EXPECT_EQ(ink.top - reference.top, 341);
    EXPECT_TRUE(kit::InkBox(frame, 201, 301, 399, 341).Empty()) << "caption ink above row 341";
    EXPECT_FALSE(kit::InkBox(frame, 201, 341, 399, 359).Empty()) << "no caption ink in rows 341..358";
}

TEST_F(TitleScreenWindow, ClickingPlayAsksForTheNextScene)
{
    kit::Click(300, 320);
    EXPECT_TRUE(root.advanceScene);
    EXPECT_EQ(root.children.size(), 1u) << "the scene changes only at the end of the frame";
}

TEST_F(TitleScreenWindow, PlayDraggedOffAndReleasedElsewhereDoesNothing)
{
    kit::Press(300, 320);
    kit::Release(700, 320);
    EXPECT_FALSE(root.advanceScene);
    EXPECT_FALSE(Play()->pressed);
}

TEST_F(TitleScreenWindow, KeysChangeNothing)
{
    for (int32_t code : {KeyW, KeyA, KeyS, KeyD}) {
        InputManager::Instance().Dispatch({code, true});
        InputManager::Instance().Dispatch({code, false});
    }
    InputManager::Instance().Dispatch({KeyZ, true});
    EXPECT_FALSE(root.advanceScene);
    EXPECT_EQ(root.children.size(), 1u);
}
