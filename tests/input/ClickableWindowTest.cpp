#include "input/Button.h"
#include "input/Receiver.h"
#include "support/WindowKit.h"

namespace {
class LogReceiver : public Receiver {
public:
    void Receive(int32_t messageId) override { messages += std::to_string(messageId); }
    std::string messages;
};

// A screen without a board: root > scene > button, then a sink that sees whatever the button does not
// consume. The button is the title screen's Play: (200, 300) to (400, 400), message 7.
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
    // Press at one point and release at another: the messages sent, whether the button is still
    // pressed, and the events that passed it ("P" press, "R" release).
    std::string PressRelease(int x0, int y0, int x1, int y1, int32_t code = MouseLeft)
    {
        receiver.messages.clear();
        sink->seen.clear();
        kit::Mouse(x0, y0, true, code);
        const std::string onPress = receiver.messages;
        kit::Mouse(x1, y1, false, code);
        std::string passed;
        for (InputEvent e : sink->seen) {
            passed += e.down ? "P" : "R";
        }
        return onPress + "|" + receiver.messages + (button->pressed ? " pressed" : "") + " passed " + passed;
    }

    LogReceiver receiver;  // declared before the root so that it outlives the button
    RootNode root;
    Node* scene = new Node();
    Button* button = new Button({200, 300}, {200, 100}, &receiver, 7, "Go", RED, MAROON, BLACK, 18);
    kit::EventSink* sink = new kit::EventSink();
};
}  // namespace

// The rectangle is open on all four sides. A click inside fires once, on the release, and neither the
// press nor the release passes the button. A release outside after a press inside cancels and is still
// consumed; a release inside after a press outside is no click and passes on.
TEST_F(ClickTest, PressAndReleaseCountOnlyStrictlyInsideTogetherAndWhileTheButtonIsAvailable)
{
    const std::tuple<int, int, int, int, const char*> clicks[] = {
        {200, 350, 200, 350, "| passed PR"}, {400, 350, 400, 350, "| passed PR"}, {300, 300, 300, 300, "| passed PR"},
        {300, 400, 300, 400, "| passed PR"}, {201, 301, 201, 301, "|7 passed "},  {399, 399, 399, 399, "|7 passed "},
        {300, 350, 700, 700, "| passed "},   {700, 700, 300, 350, "| passed PR"},
    };
    for (const auto& [x0, y0, x1, y1, result] : clicks) {
        EXPECT_EQ(PressRelease(x0, y0, x1, y1), result) << x0 << "," << y0 << " to " << x1 << "," << y1;
    }
    EXPECT_EQ(PressRelease(300, 350, 300, 350, MouseRight), "| passed PR") << "other buttons are not the button's";
    // Hidden, under a hidden parent or disabled, a button takes no event; a press it took before stays
    // until a release reaches it again, which then completes the old click.
    bool* const flags[] = {&button->visible, &scene->visible, &button->disabled};
    for (bool* flag : flags) {
        SCOPED_TRACE(flag == &button->disabled ? "disabled" : flag == &scene->visible ? "parent hidden" : "hidden");
        kit::Mouse(300, 350, true);
        *flag = flag == &button->disabled;  // unavailable
        EXPECT_EQ(PressRelease(300, 350, 300, 350), "| pressed passed PR");
        *flag = !*flag;
        sink->seen.clear();
        kit::Mouse(300, 350, false);
        EXPECT_FALSE(button->pressed);
        EXPECT_EQ(receiver.messages, "7") << "the first release that reaches it completes the old press";
        EXPECT_TRUE(sink->seen.empty());
    }
}

// A finger that lifts within tapSlop of where it landed clicks there at the next poll, wherever the
// mouse rests; one that wanders further, is cancelled or lifts without landing clicks nothing.
TEST_F(ClickTest, TapsClickWhereTheFingerLandedAndDragsClickNothing)
{
    using Phase = InputManager::TouchPhase;
    const float slop = InputManager::tapSlop;
    const std::pair<std::vector<std::pair<Phase, Vector2>>, const char*> cases[] = {
        {{{Phase::Began, {300, 350}}, {Phase::Ended, {300, 350}}}, "7"},
        {{{Phase::Began, {390, 350}}, {Phase::Moved, {390 + slop, 350}}, {Phase::Ended, {390 + slop, 350}}}, "7"},
        {{{Phase::Began, {300, 350}}, {Phase::Moved, {300, 351 + slop}}, {Phase::Ended, {300, 350}}}, ""},
        {{{Phase::Began, {300, 350}}, {Phase::Cancelled, {300, 350}}, {Phase::Ended, {300, 350}}}, ""},
        {{{Phase::Began, {700, 700}}, {Phase::Ended, {300, 350}}}, ""},
        {{{Phase::Ended, {300, 350}}}, ""},
    };
    SetMousePosition(700, 700);
    for (const auto& [touches, messages] : cases) {
        SCOPED_TRACE(testing::PrintToString(touches.size()) + " changes, ending " + messages);
        receiver.messages.clear();
        for (const auto& [phase, point] : touches) {
            InputManager::Instance().Touch(phase, point);
        }
        EXPECT_EQ(receiver.messages, "") << "clicked before the poll";
        InputManager::Instance().PollInput();
        EXPECT_EQ(receiver.messages, messages);
        EXPECT_FALSE(button->pressed || InputManager::Instance().IsHeld(MouseLeft));
        EXPECT_EQ(InputManager::Instance().Pointer().x, 700.0f) << "the tap's point outlived its click";
    }
}

// The fill is the pressed colour while pressed or disabled, and there is no hover colour. The caption
// is centred, across within a pixel and a half and down within three, at its font size: the ink of
// "Go" at 18 is between 9 and 18 pixels high.
TEST_F(ClickTest, FillFollowsPressedAndDisabledAndTheCaptionIsCentred)
{
    SetMousePosition(300, 350);
    for (auto [pressed, disabled] : {std::pair{true, false}, {false, true}, {false, false}}) {
        button->pressed = pressed;
        button->disabled = disabled;
        EXPECT_TRUE(kit::Frame(root).Is(220, 320, pressed || disabled ? MAROON : RED)) << pressed << disabled;
    }
    kit::Frame frame(root);
    int left = 400, top = 400, right = 0, bottom = 0;
    for (int y = 301; y < 399; ++y) {
        for (int x = 201; x < 399; ++x) {  // inside the outline
            const Color c = frame.At(x, y);
            if (c.r + c.g + c.b < 100) {
                std::tie(left, top, right, bottom) =
                    std::tuple(std::min(left, x), std::min(top, y), std::max(right, x), y);
            }
        }
    }
    EXPECT_NEAR((left + right) / 2.0, 300.0, 1.5);
    EXPECT_NEAR((top + bottom) / 2.0, 350.0, 3.0);
    EXPECT_TRUE(bottom - top >= 9 && bottom - top <= 18) << bottom - top;
}
