#include "screens/TitleScreen.h"
#include "study/Frame.h"
#include "support/TestGame.h"

using Frame = FreshInput;

// The scene changes only at the end of a frame, and once per frame.
TEST_F(Frame, SceneChangesOnlyAtTheEndOfTheFrameAndOncePerFrame)
{
    TestGame run;
    run.root.Init();
    RunFrame(run.root);
    ASSERT_NE(dynamic_cast<TitleScreen*>(run.root.children.at(0)), nullptr);
    run.root.advanceScene = true;
    EXPECT_NE(dynamic_cast<TitleScreen*>(run.root.children.at(0)), nullptr) << "switched before the frame ended";
    RunFrame(run.root);
    EXPECT_NE(dynamic_cast<TileMap*>(run.root.children.at(0)), nullptr) << "the tutorial";
    EXPECT_EQ(run.root.scenes.size(), 7u) << "one scene per frame";
}
