#include "input/CameraNode.h"
#include "support/TestGame.h"

using CameraScroll = FreshInput;

// W up, S down, A left, D right, ten units a frame through the tree's update walk; a diagonal is as
// fast as a straight line and opposite keys cancel, leaving the other axis its full speed. The key
// event itself moves nothing, a released key stops, and the view's offset always mirrors the position.
TEST_F(CameraScroll, CameraScrollsWhileKeysAreHeld)
{
    const float d = 7.0710677f;  // 10 / sqrt(2) in single precision
    const std::tuple<std::vector<int32_t>, float, float> cases[] = {
        {{KeyW}, 0, -10}, {{KeyS}, 0, 10}, {{KeyA}, -10, 0}, {{KeyD}, 10, 0},
        {{KeyW, KeyD}, d, -d}, {{KeyW, KeyD, KeyS}, 10, 0}, {{KeyW, KeyA, KeyS, KeyD}, 0, 0},
    };
    auto game = StartGame("board-example.txt");
    CameraNode& camera = *game->board->camera;
    for (const auto& [keys, dx, dy] : cases) {
        SCOPED_TRACE(testing::PrintToString(keys));
        camera.position = {100, 100};
        for (int32_t key : keys) {
            Send(key);
        }
        EXPECT_FLOAT_EQ(camera.position.x + camera.position.y, 200.0f) << "the key event itself moved it";
        Node::UpdateTree(&game->root);
        Node::UpdateTree(&game->root);
        EXPECT_NEAR(camera.position.x, 100 + 2 * dx, 1e-4);
        EXPECT_NEAR(camera.position.y, 100 + 2 * dy, 1e-4);
        EXPECT_TRUE(camera.camera.offset.x == -camera.position.x && camera.camera.offset.y == -camera.position.y);
        for (int32_t key : keys) {
            Send(key, false);
        }
    }
}

// A finger carries the board once it has wandered beyond tapSlop: by the whole way from where it
// landed, then change by change, the last one included; within the slop nothing scrolls, and a poll
// with no touch scrolls nothing more.
TEST_F(CameraScroll, ADraggingFingerCarriesTheBoard)
{
    using Phase = InputManager::TouchPhase;
    auto game = StartGame("board-example.txt");
    CameraNode& camera = *game->board->camera;
    InputManager& input = InputManager::Instance();
    camera.position = {100, 100};
    const float slop = InputManager::tapSlop;
    const std::tuple<std::vector<std::pair<Phase, Vector2>>, float, float> frames[] = {
        {{{Phase::Began, {500, 400}}, {Phase::Moved, {500 - slop, 400}}}, 100, 100},
        {{{Phase::Moved, {540, 370}}}, 60, 130},
        {{}, 60, 130},
        {{{Phase::Moved, {500, 400}}, {Phase::Ended, {480, 400}}}, 120, 100},
        {{{Phase::Moved, {900, 900}}}, 120, 100},
    };
    for (const auto& [touches, x, y] : frames) {
        for (const auto& [phase, point] : touches) {
            input.Touch(phase, point);
        }
        input.PollInput();
        Node::UpdateTree(&game->root);
        EXPECT_EQ(camera.position.x, x);
        EXPECT_EQ(camera.position.y, y);
    }
}
