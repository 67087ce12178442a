#include <gtest/gtest.h>

#include <cmath>

#include "board/TileMap.h"
#include "core/RootNode.h"
#include "input/CameraNode.h"
#include "input/InputManager.h"
#include "support/TestGame.h"

namespace {
// The held set is process-wide: every test starts and ends with nothing held and
// with no tree to offer the key events to.
class CameraScroll : public testing::Test {
protected:
    void SetUp() override
    {
        InputManager::Instance().held.clear();
        InputManager::Instance().root = nullptr;
    }
    void TearDown() override
    {
        InputManager::Instance().held.clear();
        InputManager::Instance().root = nullptr;
    }
    static void Press(int32_t code) { InputManager::Instance().Dispatch({code, true}); }
    static void Release(int32_t code) { InputManager::Instance().Dispatch({code, false}); }
    static void Run(CameraNode& camera, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            camera.Update();
        }
    }
};

// 10 / sqrt(2) in single precision.
constexpr float diagonalStep = 7.0710677f;
}  // namespace

TEST_F(CameraScroll, HoldingDForOneSecondScrollsSixHundredRight)
{
    CameraNode camera;
    Press(KeyD);
    Run(camera, 60);
    EXPECT_FLOAT_EQ(camera.position.x, 600.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 0.0f);
    EXPECT_FLOAT_EQ(camera.camera.offset.x, -600.0f);
    EXPECT_FLOAT_EQ(camera.camera.offset.y, 0.0f);
    // Only the offset ever changes.
    EXPECT_FLOAT_EQ(camera.camera.target.x, 0.0f);
    EXPECT_FLOAT_EQ(camera.camera.target.y, 0.0f);
    EXPECT_FLOAT_EQ(camera.camera.rotation, 0.0f);
    EXPECT_FLOAT_EQ(camera.camera.zoom, 1.0f);
}

TEST_F(CameraScroll, EachKeyScrollsItsOwnWay)
{
    struct Case {
        int32_t key;
        float dx;
        float dy;
    };
    // W up, S down, A left, D right, ten units a frame.
    const Case cases[] = {{KeyW, 0, -10}, {KeyS, 0, 10}, {KeyA, -10, 0}, {KeyD, 10, 0}};
    for (const Case& c : cases) {
        CameraNode camera;
        Press(c.key);
        camera.Update();
        Release(c.key);
        EXPECT_FLOAT_EQ(camera.position.x, c.dx) << "key " << c.key;
        EXPECT_FLOAT_EQ(camera.position.y, c.dy) << "key " << c.key;
        camera.Update();
        EXPECT_FLOAT_EQ(camera.position.x, c.dx) << "key " << c.key << " released";
        EXPECT_FLOAT_EQ(camera.position.y, c.dy) << "key " << c.key << " released";
    }
}

TEST_F(CameraScroll, DiagonalIsAsFastAsStraight)
{
    CameraNode camera;
    Press(KeyW);
    Press(KeyD);
    camera.Update();
    EXPECT_FLOAT_EQ(camera.position.x, diagonalStep);
    EXPECT_FLOAT_EQ(camera.position.y, -diagonalStep);
    Run(camera, 9);
    EXPECT_NEAR(camera.position.x, 10 * diagonalStep, 1e-3);
    EXPECT_NEAR(camera.position.y, -10 * diagonalStep, 1e-3);
    EXPECT_FLOAT_EQ(camera.camera.offset.x, -camera.position.x);
    EXPECT_FLOAT_EQ(camera.camera.offset.y, -camera.position.y);
}

TEST_F(CameraScroll, OppositeKeysCancelAndTheOtherAxisKeepsFullSpeed)
{
    CameraNode camera;
    Press(KeyW);
    Press(KeyS);
    camera.Update();
    EXPECT_FLOAT_EQ(camera.position.x, 0.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 0.0f);
    // With the vertical axis cancelled, A alone sets the direction: not slowed to 7.07.
    Press(KeyA);
    camera.Update();
    EXPECT_FLOAT_EQ(camera.position.x, -10.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 0.0f);
    Press(KeyD);
    camera.Update();
    EXPECT_FLOAT_EQ(camera.position.x, -10.0f) << "all four keys cancel both axes";
    EXPECT_FLOAT_EQ(camera.position.y, 0.0f);
}

TEST_F(CameraScroll, KeysHeldOnlyChangeTheCameraThroughUpdate)
{
    CameraNode camera;
    Press(KeyD);
    EXPECT_FLOAT_EQ(camera.position.x, 0.0f) << "the key event itself moves nothing";
    Release(KeyD);
    camera.Update();
    EXPECT_FLOAT_EQ(camera.position.x, 0.0f);
}

TEST_F(CameraScroll, TutorialCameraShowsTheBoardOffsetByAHundred)
{
    auto game = StartGame("", nullptr, true);
    CameraNode* camera = game->board->camera;
    ASSERT_NE(camera, nullptr);
    camera->Update();
    EXPECT_FLOAT_EQ(camera->camera.offset.x, 100.0f);
    EXPECT_FLOAT_EQ(camera->camera.offset.y, 100.0f);
}

TEST_F(CameraScroll, ScrollsThroughTheTreesUpdateWalk)
{
    // Keys dispatched with a board in the tree reach the held set and the board's camera.
    auto game = StartGame(TestDataPath("board-example.txt"));
    Press(KeyS);
    for (int i = 0; i < 3; ++i) {
        Node::UpdateTree(&game->root);
    }
    EXPECT_EQ(game->root.GetActiveCamera(), game->board->camera);
    EXPECT_FLOAT_EQ(game->board->camera->position.y, 30.0f);
    EXPECT_FLOAT_EQ(game->board->camera->camera.offset.y, -30.0f);
}
