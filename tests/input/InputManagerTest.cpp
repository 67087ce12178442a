#include <string>
#include <vector>

#include "study/RootNode.h"
#include "support/FreshInput.h"

namespace {
// Records each event it is offered, with what `held` said at that moment,
// and consumes the codes it is told to.
class LogNode : public Node {
public:
    LogNode(std::string name_, std::vector<std::string>& log_, std::set<int32_t> consumes_ = {})
        : name(std::move(name_)), log(log_), consumes(std::move(consumes_))
    {
    }
    bool HandleInput(InputEvent event) override
    {
        log.push_back(name);
        heldWhenSeen = InputManager::Instance().held;
        return consumes.count(event.code) != 0;
    }
    std::string name;
    std::vector<std::string>& log;
    std::set<int32_t> consumes;
    std::set<int32_t> heldWhenSeen;
};

using InputManagerTest = FreshInput;
}  // namespace

// Mouse movement and Z have no release event, so once seen they stay in the set.
TEST_F(InputManagerTest, HeldFollowsPressesAndReleasesOfEachCode)
{
    Send(KeyD, false);
    EXPECT_TRUE(Held().empty()) << "release of something not held";
    for (int32_t code : {KeyW, KeyS, KeyS, MouseMoved, KeyZ, MouseLeft}) {
        Send(code);
    }
    EXPECT_EQ(Held(), (std::set<int32_t>{KeyW, KeyS, MouseMoved, KeyZ, MouseLeft}));
    EXPECT_TRUE(InputManager::Instance().IsHeld(KeyW));
    Send(KeyW, false);
    Send(MouseLeft, false);
    EXPECT_EQ(Held(), (std::set<int32_t>{KeyS, MouseMoved, KeyZ}));
    EXPECT_FALSE(InputManager::Instance().IsHeld(KeyW));
    EXPECT_TRUE(InputManager::Instance().IsHeld(KeyS));
}

// Tree: root > [a > [a1 (consumes MouseLeft), a2], b]. Depth first: root, a, a1, a2, b.
TEST_F(InputManagerTest, WalkIsDepthFirstStopsAtTheFirstConsumerAndSeesHeldAlreadyUpdated)
{
    std::vector<std::string> log;
    RootNode root;
    auto* a = new LogNode("a", log);
    auto* a1 = new LogNode("a1", log, {MouseLeft});
    root.AddChild(a);
    a->AddChild(a1);
    a->AddChild(new LogNode("a2", log));
    root.AddChild(new LogNode("b", log));
    InputManager::Instance().root = &root;

    Send(MouseRight);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1", "a2", "b"})) << "nobody consumes a right click";
    EXPECT_EQ(a->heldWhenSeen, (std::set<int32_t>{MouseRight})) << "the press must already be recorded";
    Send(MouseRight, false);
    EXPECT_TRUE(a->heldWhenSeen.empty()) << "the release must already be recorded";

    log.clear();
    Send(MouseLeft);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1"})) << "a1 consumes the left press";
    EXPECT_TRUE(InputManager::Instance().IsHeld(MouseLeft)) << "held is updated even when consumed";
    log.clear();
    Send(MouseLeft, false);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1"}));
    EXPECT_FALSE(InputManager::Instance().IsHeld(MouseLeft));
}
