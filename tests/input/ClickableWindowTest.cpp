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
    std::string PressRelease(int x0, int y0, int x1, int y1)
    {
        receiver.messages.clear();
        sink->seen.clear();
        kit::Mouse(x0, y0, true);
        const std::string onPress = receiver.messages;
        kit::Mouse(x1, y1, false);
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
TEST_F(ClickTest, PressAndReleaseCountOnlyStrictlyInsideAndOnlyTogether)
{
    const std::tuple<int, int, int, int, const char*> clicks[] = {
        {200, 350, 200, 350, "| passed PR"}, {400, 350, 400, 350, "| passed PR"}, {300, 300, 300, 300, "| passed PR"},
        {300, 400, 300, 400, "| passed PR"}, {201, 301, 201, 301, "|7 passed "},  {399, 399, 399, 399, "|7 passed "},
        {300, 350, 700, 700, "| passed "},   {700, 700, 300, 350, "| passed PR"},
    };
    for (const auto& [x0, y0, x1, y1, result] : clicks) {
        EXPECT_EQ(PressRelease(x0, y0, x1, y1), result) << x0 << "," << y0 << " to " << x1 << "," << y1;
    }
    sink->seen.clear();
    SetMousePosition(300, 350);
    Send(MouseRight);
    Send(MouseRight, false);
    EXPECT_FALSE(button->pressed);
    EXPECT_EQ(sink->seen.size(), 2u) << "other buttons are not the button's";
}

// Hidden, under a hidden parent or disabled, a button takes no event; a press it took before stays
// until a release reaches it again, which then completes the old click.
TEST_F(ClickTest, AnUnavailableButtonKeepsItsPressUntilAReleaseReachesItAgain)
{
    using Set = void (*)(Node*, Button*, bool);
    const std::pair<const char*, Set> ways[] = {
        {"hidden", [](Node*, Button* b, bool on) { b->visible = !on; }},
        {"parent hidden", [](Node* scene, Button*, bool on) { scene->visible = !on; }},
        {"disabled", [](Node*, Button* b, bool on) { b->disabled = on; }},
    };
    for (const auto& [name, set] : ways) {
        SCOPED_TRACE(name);
        kit::Mouse(300, 350, true);
        set(scene, button, true);
        EXPECT_EQ(PressRelease(300, 350, 300, 350), "| pressed passed PR");
        set(scene, button, false);
        sink->seen.clear();
        kit::Mouse(300, 350, false);
        EXPECT_FALSE(button->pressed);
        EXPECT_EQ(receiver.messages, "7") << "the first release that reaches it completes the old press";
        EXPECT_TRUE(sink->seen.empty());
    }
}
