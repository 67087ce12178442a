#include <gtest/gtest.h>

#include "core/RootNode.h"
#include "input/Button.h"
#include "input/InputManager.h"
#include "screens/TitleScreen.h"
#include "support/TestGame.h"

namespace {
bool SameColor(Color a, Color b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}
}  // namespace

TEST(TitleScreenWindow, PlayButtonFillAtItsCentreAndClearColourElsewhere)
{
    RootNode root;
    InputManager::Instance().root = &root;
    root.AddChild(new TitleScreen());
    Image image = CaptureTree(root);
    Color centre = PixelAt(image, 300 - 60, 350 + 30);  // inside the button, off the caption
    Color empty = PixelAt(image, 1000, 700);
    UnloadImage(image);
    EXPECT_TRUE(SameColor(centre, GREEN)) << "button fill " << int(centre.r) << "," << int(centre.g) << ","
                                          << int(centre.b);
    EXPECT_TRUE(SameColor(empty, RAYWHITE)) << "background " << int(empty.r) << "," << int(empty.g) << ","
                                            << int(empty.b);
    InputManager::Instance().root = nullptr;
}
