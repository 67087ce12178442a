#include "study/Frame.h"
#include "input/CameraNode.h"
#include "screens/TitleScreen.h"
#include "screens/Transition.h"
#include "support/FreshInput.h"
#include "support/TestGame.h"

using Frame = FreshInput;

TEST_F(Frame, SceneChangesOnlyAfterTheFrameAndOncePerFrame)
{
    TestGame run;  // the study's own root, reached through the input manager
    run.root.Init();
    RunFrame(run.root);
    ASSERT_NE(dynamic_cast<TitleScreen*>(run.root.children.at(0)), nullptr);

    // Two requests in one frame (as two buttons in one input walk) advance one scene.
    run.root.advanceScene = true;
    run.root.advanceScene = true;
    EXPECT_NE(dynamic_cast<TitleScreen*>(run.root.children.at(0)), nullptr) << "switched before the frame ended";
    RunFrame(run.root);
    auto* tutorial = dynamic_cast<TileMap*>(run.root.children.at(0));
    ASSERT_NE(tutorial, nullptr);
    EXPECT_TRUE(tutorial->isTutorial);
    EXPECT_FALSE(run.root.advanceScene);
    EXPECT_EQ(run.root.scenes.size(), 7u);

    // The board's camera is the active one; the tutorial starts scrolled to (-100, -100).
    RunFrame(run.root);
    ASSERT_EQ(run.root.GetActiveCamera(), tutorial->camera);
    EXPECT_EQ(tutorial->camera->camera.offset.x, 100.0f);
    EXPECT_EQ(tutorial->camera->camera.offset.y, 100.0f);

    // Forfeiting the tutorial records nothing and shows the first transition.
    tutorial->forfeited = true;
    tutorial->EndTurn();
    RunFrame(run.root);
    auto* transition = dynamic_cast<Transition*>(run.root.children.at(0));
    ASSERT_NE(transition, nullptr);
    EXPECT_EQ(transition->text, "Next you will play a practice game with no AI");
    EXPECT_EQ(run.root.resultCode, "");
    EXPECT_EQ(run.root.GetActiveCamera(), nullptr);
}
