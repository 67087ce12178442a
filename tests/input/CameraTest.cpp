#include "input/CameraNode.h"
#include "support/FreshInput.h"
#include "support/TestGame.h"

namespace {
class CameraScroll : public FreshInput {
protected:
    // Scrolls `frames` frames and checks that the camera's offset still mirrors its position.
    void Run(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) {
            camera.Update();
        }
        EXPECT_FLOAT_EQ(camera.camera.offset.x, -camera.position.x);
        EXPECT_FLOAT_EQ(camera.camera.offset.y, -camera.position.y);
    }
    CameraNode camera;
};

// 10 / sqrt(2) in single precision.
constexpr float diagonalStep = 7.0710677f;
}  // namespace

// W up, S down, A left, D right, ten units a frame: a second held is 600. Only the offset changes.
TEST_F(CameraScroll, EachKeyScrollsItsOwnWayWhileHeldAndOnlyTheOffsetChanges)
{
    for (auto [key, dx, dy] : {std::tuple{KeyW, 0, -600}, {KeyS, 0, 600}, {KeyA, -600, 0}, {KeyD, 600, 0}}) {
        camera.position = {0, 0};
        Send(key);
        EXPECT_FLOAT_EQ(camera.position.x + camera.position.y, 0.0f) << "the key event itself moves nothing";
        Run(60);
        Send(key, false);
        Run();
        EXPECT_FLOAT_EQ(camera.position.x, dx) << "key " << key << ", held for 60 frames";
        EXPECT_FLOAT_EQ(camera.position.y, dy) << "key " << key << ", held for 60 frames";
    }
}

// A diagonal is as fast as a straight line; opposite keys cancel and the other axis keeps full speed.
TEST_F(CameraScroll, DiagonalIsAsFastAsStraightAndOppositeKeysCancel)
{
    Send(KeyW);
    Send(KeyD);
    Run();
    EXPECT_FLOAT_EQ(camera.position.x, diagonalStep);
    EXPECT_FLOAT_EQ(camera.position.y, -diagonalStep);
    Send(KeyS);
    Run();
    EXPECT_FLOAT_EQ(camera.position.x, diagonalStep + 10.0f) << "not slowed to 7.07 with W and S cancelled";
    EXPECT_FLOAT_EQ(camera.position.y, -diagonalStep);
    Send(KeyA);
    Run();
    EXPECT_FLOAT_EQ(camera.position.x, diagonalStep + 10.0f) << "all four keys cancel both axes";
}

TEST_F(CameraScroll, ScrollsThroughTheTreesUpdateWalk)
{
    auto game = StartGame(TestDataPath("board-example.txt"));
    Send(KeyS);
    for (int i = 0; i < 3; ++i) {
        Node::UpdateTree(&game->root);
    }
    EXPECT_EQ(game->root.GetActiveCamera(), game->board->camera);
    EXPECT_FLOAT_EQ(game->board->camera->position.y, 30.0f);
    EXPECT_FLOAT_EQ(game->board->camera->camera.offset.y, -30.0f);
}
