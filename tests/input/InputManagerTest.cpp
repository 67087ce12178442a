#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/RootNode.h"
#include "input/InputManager.h"

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

// The manager is process-wide: every test starts and ends with nothing held and no root.
class InputManagerTest : public testing::Test {
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
    static std::set<int32_t> Held() { return InputManager::Instance().held; }
};
}  // namespace

TEST_F(InputManagerTest, HoldingWThenPressingSHoldsBothAndReleasingWLeavesS)
{
    InputManager& input = InputManager::Instance();
    input.Dispatch({KeyW, true});
    input.Dispatch({KeyS, true});
    EXPECT_EQ(Held(), (std::set<int32_t>{KeyW, KeyS}));
    EXPECT_TRUE(input.IsHeld(KeyW));
    EXPECT_TRUE(input.IsHeld(KeyS));
    input.Dispatch({KeyW, false});
    EXPECT_EQ(Held(), (std::set<int32_t>{KeyS}));
    EXPECT_FALSE(input.IsHeld(KeyW));
    EXPECT_TRUE(input.IsHeld(KeyS));
}

TEST_F(InputManagerTest, ReleaseOfSomethingNotHeldAndRepeatedPressChangeNothing)
{
    InputManager& input = InputManager::Instance();
    input.Dispatch({KeyD, false});
    EXPECT_TRUE(Held().empty());
    input.Dispatch({KeyD, true});
    input.Dispatch({KeyD, true});
    EXPECT_EQ(Held(), (std::set<int32_t>{KeyD}));
}

// Mouse movement and Z have no release event, so once seen they stay in the set.
TEST_F(InputManagerTest, MouseMovedAndZStayHeldAfterOtherInput)
{
    InputManager& input = InputManager::Instance();
    input.Dispatch({MouseMoved, true});
    input.Dispatch({KeyZ, true});
    input.Dispatch({MouseLeft, true});
    input.Dispatch({MouseLeft, false});
    input.Dispatch({KeyA, true});
    input.Dispatch({KeyA, false});
    EXPECT_EQ(Held(), (std::set<int32_t>{MouseMoved, KeyZ}));
}

TEST_F(InputManagerTest, HeldIsUpdatedBeforeTheTreeSeesTheEvent)
{
    std::vector<std::string> log;
    RootNode root;
    auto* node = new LogNode("node", log);
    root.AddChild(node);
    InputManager::Instance().root = &root;

    InputManager::Instance().Dispatch({KeyA, true});
    EXPECT_EQ(node->heldWhenSeen, (std::set<int32_t>{KeyA})) << "the press must already be recorded";
    InputManager::Instance().Dispatch({KeyA, false});
    EXPECT_TRUE(node->heldWhenSeen.empty()) << "the release must already be recorded";
    EXPECT_EQ(log.size(), 2u);
}

// Tree: root > [a > [a1 (consumes MouseLeft), a2], b]. Depth first: root, a, a1, a2, b.
TEST_F(InputManagerTest, WalkIsDepthFirstAndStopsAtTheFirstConsumer)
{
    std::vector<std::string> log;
    RootNode root;
    auto* a = new LogNode("a", log);
    auto* a1 = new LogNode("a1", log, {MouseLeft});
    auto* a2 = new LogNode("a2", log);
    auto* b = new LogNode("b", log);
    root.AddChild(a);
    a->AddChild(a1);
    a->AddChild(a2);
    root.AddChild(b);
    InputManager::Instance().root = &root;

    InputManager::Instance().Dispatch({MouseRight, true});
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1", "a2", "b"})) << "nobody consumes a right click";

    log.clear();
    InputManager::Instance().Dispatch({MouseLeft, true});
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1"})) << "a1 consumes the left press";
    EXPECT_TRUE(InputManager::Instance().IsHeld(MouseLeft)) << "held is updated even when consumed";

    log.clear();
    InputManager::Instance().Dispatch({MouseLeft, false});
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1"}));
    EXPECT_FALSE(InputManager::Instance().IsHeld(MouseLeft));
}
