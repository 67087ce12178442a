#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ai/AIController.h"
#include "board/TileMap.h"
#include "core/RootNode.h"
#include "input/Button.h"
#include "input/CameraNode.h"
#include "input/InputManager.h"
#include "input/WindowTestKit.h"

using kit::Click;
using kit::Press;
using kit::Release;

namespace {
constexpr int32_t messageId = 7;

// A screen without a board: root > scene > button(s), then a sink that sees
// whatever the buttons do not consume.
class ClickTest : public kit::WindowTest {
protected:
    void SetUp() override
    {
        kit::WindowTest::SetUp();
        InputManager::Instance().root = &root;
        scene = new Node();
        root.AddChild(scene);
        button = AddButton(messageId);
        sink = new kit::EventSink();
        root.AddChild(sink);
    }
    // A 200 x 100 button at (200, 300), the size and place of the title screen's Play.
    Button* AddButton(int32_t id)
    {
        auto* b = new Button({200, 300}, {200, 100}, &receiver, id, "Go", RED, MAROON, BLACK, 18);
        scene->AddChild(b);
        return b;
    }

    kit::LogReceiver receiver;  // declared before the root so that it outlives the buttons
    RootNode root;
    Node* scene = nullptr;
    Button* button = nullptr;
    kit::EventSink* sink = nullptr;
};

struct BorderCase {
    const char* where;
    int x;
    int y;
    bool inside;
};

class ClickBorder : public ClickTest, public testing::WithParamInterface<BorderCase> {};
}  // namespace

// The rectangle is (200, 300) to (400, 400), open on all four sides.
INSTANTIATE_TEST_SUITE_P(
    Points, ClickBorder,
    testing::Values(BorderCase{"left border", 200, 350, false}, BorderCase{"right border", 400, 350, false},
                    BorderCase{"top border", 300, 300, false}, BorderCase{"bottom border", 300, 400, false},
                    BorderCase{"top-left corner", 200, 300, false}, BorderCase{"left of it", 199, 350, false},
                    BorderCase{"first pixel in from the top-left", 201, 301, true},
                    BorderCase{"last pixel in at the bottom-right", 399, 399, true},
                    BorderCase{"centre", 300, 350, true}),
    [](const testing::TestParamInfo<BorderCase>& info) {
        std::string name = info.param.where;
        for (char& c : name) {
            if (!isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST_P(ClickBorder, PressCountsOnlyStrictlyInside)
{
    const BorderCase& c = GetParam();
    Press(c.x, c.y);
    EXPECT_EQ(button->pressed, c.inside) << c.where << " at (" << c.x << "," << c.y << ")";
    EXPECT_EQ(sink->Saw(MouseLeft, true), !c.inside) << "the press is consumed only inside";
    Release(c.x, c.y);
    EXPECT_EQ(receiver.messages.size(), c.inside ? 1u : 0u) << c.where;
}

TEST_F(ClickTest, PressAndReleaseInsideClickOnceAndConsumeBoth)
{
    Press(300, 350);
    EXPECT_TRUE(button->pressed);
    EXPECT_TRUE(receiver.messages.empty()) << "the click fires on the release, not the press";
    Release(310, 360);
    EXPECT_EQ(receiver.messages, (std::vector<int32_t>{messageId}));
    EXPECT_FALSE(button->pressed);
    EXPECT_TRUE(sink->seen.empty()) << "neither the press nor the release may pass the button";
}

TEST_F(ClickTest, ReleaseOutsideAfterPressInsideCancelsAndIsConsumed)
{
    Press(300, 350);
    {
        kit::Frame frame(root);
        EXPECT_TRUE(kit::Near(frame.At(220, 320), MAROON, 0)) << "pressed fill " << kit::Rgb(frame.At(220, 320));
    }
    Release(700, 700);
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_FALSE(button->pressed);
    EXPECT_FALSE(sink->Saw(MouseLeft, false)) << "the cancelling release is still consumed";
    kit::Frame frame(root);
    EXPECT_TRUE(kit::Near(frame.At(220, 320), RED, 0)) << "rest fill " << kit::Rgb(frame.At(220, 320));
}

TEST_F(ClickTest, ReleaseInsideAfterPressOutsideIsNotAClickAndPassesOn)
{
    Press(700, 700);
    EXPECT_FALSE(button->pressed);
    Release(300, 350);
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_FALSE(button->pressed);
    EXPECT_TRUE(sink->Saw(MouseLeft, false)) << "a button that never saw the press leaves the release alone";
}

TEST_F(ClickTest, NonLeftEventsInsideAreIgnored)
{
    SetMousePosition(300, 350);
    InputManager::Instance().Dispatch({MouseRight, true});
    InputManager::Instance().Dispatch({MouseRight, false});
    InputManager::Instance().Dispatch({MouseMoved, true});
    EXPECT_FALSE(button->pressed);
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_EQ(sink->seen.size(), 3u);
}

namespace {
enum class Unavailable { Hidden, ParentHidden, Disabled };

void SetUnavailable(Unavailable how, Node* scene, Button* button, bool on)
{
    switch (how) {
    case Unavailable::Hidden:
        button->visible = !on;
        break;
    case Unavailable::ParentHidden:
        scene->visible = !on;
        break;
    case Unavailable::Disabled:
        button->disabled = on;
        break;
    }
}

class ClickWhileUnavailable : public ClickTest, public testing::WithParamInterface<Unavailable> {};
}  // namespace

INSTANTIATE_TEST_SUITE_P(Ways, ClickWhileUnavailable,
                         testing::Values(Unavailable::Hidden, Unavailable::ParentHidden, Unavailable::Disabled),
                         [](const testing::TestParamInfo<Unavailable>& info) {
                             switch (info.param) {
                             case Unavailable::Hidden:
                                 return std::string("Hidden");
                             case Unavailable::ParentHidden:
                                 return std::string("ParentHidden");
                             case Unavailable::Disabled:
                                 return std::string("Disabled");
                             }
                             return std::string("?");
                         });

// The pressed state survives until a release reaches the button while it can act again.
TEST_P(ClickWhileUnavailable, KeepsPressedUntilAReleaseReachesItAgain)
{
    Press(300, 350);
    ASSERT_TRUE(button->pressed);
    SetUnavailable(GetParam(), scene, button, true);
    Release(300, 350);
    EXPECT_TRUE(button->pressed) << "the release did not reach it, so it is still pressed";
    EXPECT_TRUE(receiver.messages.empty());
    EXPECT_TRUE(sink->Saw(MouseLeft, false)) << "an unavailable button consumes nothing";

    // Presses while unavailable are not taken either.
    sink->seen.clear();
    Press(300, 350);
    EXPECT_TRUE(sink->Saw(MouseLeft, true));

    SetUnavailable(GetParam(), scene, button, false);
    sink->seen.clear();
    Release(300, 350);
    EXPECT_FALSE(button->pressed);
    EXPECT_EQ(receiver.messages, (std::vector<int32_t>{messageId}))
        << "the first release that reaches it completes the old press";
    EXPECT_TRUE(sink->seen.empty());
}

TEST_F(ClickTest, OverlappingButtonsTheEarlierInTheWalkTakesThePress)
{
    Button* later = AddButton(8);
    Press(300, 350);
    EXPECT_TRUE(button->pressed);
    EXPECT_FALSE(later->pressed) << "the later button never sees the press";
    Release(300, 350);
    EXPECT_EQ(receiver.messages, (std::vector<int32_t>{messageId}));
    EXPECT_FALSE(later->pressed);
}

namespace {
struct ScrollCase {
    const char* name;
    Vector2 camera;
};
class FixedButtonOnBoard : public kit::WindowTest, public testing::WithParamInterface<ScrollCase> {};
}  // namespace

INSTANTIATE_TEST_SUITE_P(Scrolls, FixedButtonOnBoard,
                         testing::Values(ScrollCase{"NoScroll", {0, 0}}, ScrollCase{"RightDown", {350, 170}},
                                         ScrollCase{"LeftOfTheMap", {-120, 40}}),
                         [](const testing::TestParamInfo<ScrollCase>& info) { return std::string(info.param.name); });

// Both the mouse point and the button's absolute position carry the camera, so the
// button is hit where it is drawn: at its own position on the screen.
TEST_P(FixedButtonOnBoard, IsHitAndDrawnAtItsScreenPosition)
{
    kit::LogReceiver receiver;
    auto game = StartGame(GameDataPath("Map1.txt"));
    auto* button = new Button({600, 500}, {100, 50}, &receiver, 3, "", PURPLE, VIOLET, BLACK, 10);
    button->fixedToScreen = true;
    button->z = 10;  // above the pieces
    game->board->AddChild(button);
    game->board->camera->position = GetParam().camera;
    game->board->camera->Update();  // nothing is held: only the offset follows the position

    {
        kit::Frame frame(game->root);
        EXPECT_TRUE(kit::Near(frame.At(650, 525), PURPLE, 0)) << "drawn at " << kit::Rgb(frame.At(650, 525));
        EXPECT_FALSE(kit::Near(frame.At(750, 525), PURPLE, 0)) << "nothing purple right of it";
    }

    Click(650 - 60, 525);  // left of the button on screen
    EXPECT_TRUE(receiver.messages.empty());
    Click(650, 525);
    EXPECT_EQ(receiver.messages, (std::vector<int32_t>{3}));
    // Remove the button before the receiver goes away.
    game->board->RemoveChild(button);
    delete button;
}
