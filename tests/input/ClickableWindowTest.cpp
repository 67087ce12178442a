#include "input/Button.h"
#include "input/CameraNode.h"
#include "support/WindowKit.h"

namespace {
constexpr int32_t messageId = 7;

// A screen without a board: root > scene > button, then a sink that sees
// whatever the button does not consume.
class ClickTest : public FreshInput {
protected:
    void SetUp() override
    {
        FreshInput::SetUp();
        InputManager::Instance().root = &root;
        root.AddChild(scene);
        scene->AddChild(button);
        root.AddChild(sink);
    }

    kit::LogReceiver receiver;  // declared before the root so that it outlives the button
    RootNode root;
    Node* scene = new Node();
    // A 200 x 100 button at (200, 300), the size and place of the title screen's Play.
    Button* button = new Button({200, 300}, {200, 100}, &receiver, messageId, "Go", RED, MAROON, BLACK, 18);
    kit::EventSink* sink = new kit::EventSink();
};

struct BorderCase {
    const char* name;
    int x;
    int y;
    bool inside;
};

class ClickBorder : public ClickTest, public testing::WithParamInterface<BorderCase> {};

// The rectangle is (200, 300) to (400, 400), open on all four sides.
INSTANTIATE_TEST_SUITE_P(Points, ClickBorder,
                         testing::Values(BorderCase{"LeftBorder", 200, 350, false},
                                         BorderCase{"RightBorder", 400, 350, false},
                                         BorderCase{"TopBorder", 300, 300, false},
                                         BorderCase{"BottomBorder", 300, 400, false},
                                         BorderCase{"TopLeftCorner", 200, 300, false},
                                         BorderCase{"FirstPixelInFromTheTopLeft", 201, 301, true},
                                         BorderCase{"LastPixelInAtTheBottomRight", 399, 399, true}),
                         [](const testing::TestParamInfo<BorderCase>& info) { return std::string(info.param.name); });

// A click inside fires once, on the release, and neither the press nor the release passes the button.
TEST_P(ClickBorder, PressAndReleaseCountOnlyStrictlyInside)
{
    const BorderCase& c = GetParam();
    kit::Press(c.x, c.y);
    EXPECT_EQ(button->pressed, c.inside) << c.name << " at (" << c.x << "," << c.y << ")";
    EXPECT_EQ(sink->Saw(MouseLeft, true), !c.inside) << "the press is consumed only inside";
    EXPECT_TRUE(receiver.messages.empty()) << "the click fires on the release, not the press";
    kit::Release(c.x, c.y);
    EXPECT_EQ(receiver.messages, c.inside ? std::vector<int32_t>{messageId} : std::vector<int32_t>{}) << c.name;
    EXPECT_FALSE(button->pressed);
    EXPECT_EQ(sink->seen.size(), c.inside ? 0u : 2u) << "events that passed the button";
}

TEST_F(ClickTest, ReleaseOutsideAfterPressInsideCancelsAndIsConsumed)
{
    kit::Press(300, 350);
    kit::Release(700, 700);
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_FALSE(button->pressed);
    EXPECT_FALSE(sink->Saw(MouseLeft, false)) << "the cancelling release is still consumed";
}

TEST_F(ClickTest, ReleaseInsideAfterPressOutsideIsNotAClickAndPassesOn)
{
    kit::Press(700, 700);
    kit::Release(300, 350);
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_FALSE(button->pressed);
    EXPECT_TRUE(sink->Saw(MouseLeft, false)) << "a button that never saw the press leaves the release alone";
}

TEST_F(ClickTest, NonLeftEventsInsideAreIgnored)
{
    SetMousePosition(300, 350);
    Send(MouseRight);
    Send(MouseRight, false);
    Send(MouseMoved);
    EXPECT_FALSE(button->pressed);
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_EQ(sink->seen.size(), 3u);
}

struct Unavailable {
    const char* name;
    void (*set)(Node* scene, Button* button, bool on);
};
class ClickWhileUnavailable : public ClickTest, public testing::WithParamInterface<Unavailable> {};

INSTANTIATE_TEST_SUITE_P(
    Ways, ClickWhileUnavailable,
    testing::Values(Unavailable{"Hidden", [](Node*, Button* b, bool on) { b->visible = !on; }},
                    Unavailable{"ParentHidden", [](Node* scene, Button*, bool on) { scene->visible = !on; }},
                    Unavailable{"Disabled", [](Node*, Button* b, bool on) { b->disabled = on; }}),
    [](const testing::TestParamInfo<Unavailable>& info) { return std::string(info.param.name); });

// The pressed state survives until a release reaches the button while it can act again.
TEST_P(ClickWhileUnavailable, KeepsPressedUntilAReleaseReachesItAgain)
{
    kit::Press(300, 350);
    ASSERT_TRUE(button->pressed);
    GetParam().set(scene, button, true);
    kit::Release(300, 350);
    EXPECT_TRUE(button->pressed) << "the release did not reach it, so it is still pressed";
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_TRUE(sink->Saw(MouseLeft, false)) << "an unavailable button consumes nothing";

    // Presses while unavailable are not taken either.
    sink->seen.clear();
    kit::Press(300, 350);
    EXPECT_TRUE(sink->Saw(MouseLeft, true));

    GetParam().set(scene, button, false);
    sink->seen.clear();
    kit::Release(300, 350);
    EXPECT_FALSE(button->pressed);
    EXPECT_EQ(receiver.messages, (std::vector<int32_t>{messageId}))
        << "the first release that reaches it completes the old press";
    EXPECT_TRUE(sink->seen.empty());
}

class FixedButtonOnBoard : public FreshInput, public testing::WithParamInterface<Vector2> {};

INSTANTIATE_TEST_SUITE_P(Scrolls, FixedButtonOnBoard,
                         testing::Values(Vector2{0, 0}, Vector2{350, 170}, Vector2{-120, 40}));

// Both the mouse point and the button's absolute position carry the camera, so the
// button is hit where it is drawn: at its own position on the screen.
TEST_P(FixedButtonOnBoard, IsHitAndDrawnAtItsScreenPosition)
{
    kit::LogReceiver receiver;  // outlives the game and its button
    auto game = StartGame(GameDataPath("Map1.txt"));
    auto* button = new Button({600, 500}, {100, 50}, &receiver, 3, "", PURPLE, VIOLET, BLACK, 10);
    button->fixedToScreen = true;
    button->z = 10;  // above the pieces
    game->board->AddChild(button);
    game->board->camera->position = GetParam();
    game->board->camera->Update();  // nothing is held: only the offset follows the position

    {
        kit::Frame frame(game->root);
        EXPECT_TRUE(frame.Is(650, 525, PURPLE)) << "drawn at its screen place";
        EXPECT_FALSE(frame.Is(750, 525, PURPLE)) << "nothing purple right of it";
    }
    kit::Click(650 - 60, 525);  // left of the button on screen
    EXPECT_TRUE(receiver.messages.empty());
    kit::Click(650, 525);
    EXPECT_EQ(receiver.messages, (std::vector<int32_t>{3}));
}
}  // namespace
