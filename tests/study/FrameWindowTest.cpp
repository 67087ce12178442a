#include "input/CameraNode.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "study/Frame.h"
#include "support/TestGame.h"

using Frame = FreshInput;

// The scene changes only at the end of a frame and once per frame; the board's camera is the active
// one while it is shown, and the tutorial starts scrolled to (-100, -100).
TEST_F(Frame, SceneChangesOnlyAtTheEndOfTheFrameAndOncePerFrame)
{
    TestGame run;
    run.root.Init();
    RunFrame(run.root);
    ASSERT_NE(dynamic_cast<TitleScreen*>(run.root.children.at(0)), nullptr);
    run.root.advanceScene = true;
    EXPECT_NE(dynamic_cast<TitleScreen*>(run.root.children.at(0)), nullptr) << "switched before the frame ended";
    RunFrame(run.root);
    auto* tutorial = dynamic_cast<TileMap*>(run.root.children.at(0));
    ASSERT_NE(tutorial, nullptr);
    EXPECT_EQ(run.root.scenes.size(), 7u) << "one scene per frame";
    RunFrame(run.root);
    ASSERT_EQ(run.root.GetActiveCamera(), tutorial->camera);
    EXPECT_EQ(tutorial->camera->camera.offset.x, 100.0f);
    tutorial->forfeited = true;
    tutorial->EndTurn();
    RunFrame(run.root);
    ASSERT_NE(dynamic_cast<Transition*>(run.root.children.at(0)), nullptr);
    EXPECT_EQ(run.root.GetActiveCamera(), nullptr);
}
