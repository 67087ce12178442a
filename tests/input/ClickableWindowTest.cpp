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

}  // namespace

// The rectangle is (200, 300) to (400, 400), open on all four sides. A click inside fires once, on the
// release, and neither the press nor the release passes the button.
TEST_F(ClickTest, PressAndReleaseCountOnlyStrictlyInside)
{
    const std::tuple<int, int, bool> points[] = {{200, 350, false}, {400, 350, false}, {300, 300, false},
                                                 {300, 400, false}, {201, 301, true},  {399, 399, true}};
    for (const auto& [x, y, inside] : points) {
        SCOPED_TRACE("(" + std::to_string(x) + "," + std::to_string(y) + ")");
        receiver.messages.clear();
        sink->seen.clear();
        kit::Press(x, y);
        EXPECT_EQ(button->pressed, inside);
        EXPECT_TRUE(receiver.messages.empty()) << "the click fires on the release, not the press";
        kit::Release(x, y);
        EXPECT_EQ(receiver.messages, inside ? std::vector<int32_t>{messageId} : std::vector<int32_t>{});
        EXPECT_FALSE(button->pressed);
        EXPECT_EQ(sink->seen.size(), inside ? 0u : 2u) << "events that passed the button";
    }
}

namespace {
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
    EXPECT_FALSE(button->pressed);
    EXPECT_EQ(sink->seen.size(), 2u);
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

}  // namespace
