#include "support/TestGame.h"

namespace {
// Logs its name and what `held` said when it was offered an event; consumes the left button.
class LogNode : public Node {
public:
    LogNode(std::string name_, std::string& log_, bool consumes_ = false) : name(name_), log(log_), consumes(consumes_) {}
    bool HandleInput(InputEvent event) override
    {
        log += name + (InputManager::Instance().IsHeld(event.code) ? "+ " : "- ");
        return consumes && event.code == MouseLeft;
    }
    std::string name;
    std::string& log;
    bool consumes;
};
using InputWalk = FreshInput;
}  // namespace

// Tree: root > [a > [a1 (consumes the left button), a2], b]. The walk is depth first, stops at the
// first node that consumes, and every node sees `held` already updated ("+" held, "-" released).
// (Held keys and their release are the camera's test.)
TEST_F(InputWalk, WalkIsDepthFirstStopsAtTheFirstConsumerAndSeesHeldAlreadyUpdated)
{
    std::string log;
    RootNode root;
    auto* a = new LogNode("a", log);
    root.AddChild(a);
    a->AddChild(new LogNode("a1", log, true));
    a->AddChild(new LogNode("a2", log));
    root.AddChild(new LogNode("b", log));
    InputManager::Instance().root = &root;
    for (int32_t code : {MouseRight, MouseLeft}) {
        Send(code);
        Send(code, false);
    }
    EXPECT_EQ(log, "a+ a1+ a2+ b+ a- a1- a2- b- a+ a1+ a- a1- ");
}
