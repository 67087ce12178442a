#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Node.h"
#include "core/RootNode.h"
#include "input/CameraNode.h"
#include "input/InputManager.h"
#include "board/TileMap.h"

namespace {
// Appends its name to a shared log on every lifecycle call.
class LogNode : public Node {
public:
    LogNode(std::string name_, std::vector<std::string>& log_) : name(std::move(name_)), log(log_) {}
    ~LogNode() override { log.push_back("delete " + name); }
    void Init() override { log.push_back("init " + name); }
    void Update() override
    {
        log.push_back("update " + name);
        if (spawnOnUpdate != nullptr) {
            AddChild(spawnOnUpdate);
            spawnOnUpdate = nullptr;
        }
    }
    std::string name;
    std::vector<std::string>& log;
    Node* spawnOnUpdate = nullptr;
};

std::vector<std::string> Names(const std::vector<Node*>& nodes)
{
    std::vector<std::string> names;
    for (Node* node : nodes) {
        names.push_back(static_cast<LogNode*>(node)->name);
    }
    return names;
}
}  // namespace

TEST(NodeTree, AddChildReparentsAndRunsInitOnce)
{
    std::vector<std::string> log;
    Node first;
    Node second;
    auto* child = new LogNode("c", log);
    first.AddChild(child);
    second.AddChild(child);
    EXPECT_TRUE(first.children.empty());
    ASSERT_EQ(second.children.size(), 1u);
    EXPECT_EQ(child->parent, &second);
    EXPECT_EQ(log, std::vector<std::string>({"init c"}));
}

TEST(NodeTree, RemoveChildOfAStrangerThrowsAndKeepsTheList)
{
    std::vector<std::string> log;
    Node parent;
    auto* a = new LogNode("a", log);
    auto* b = new LogNode("b", log);
    parent.AddChild(a);
    parent.AddChild(b);
    Node stranger;
    try {
        parent.RemoveChild(&stranger);
        FAIL() << "expected an exception";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "\nError - Attempting to remove child from a node that isn't its parent.\n");
    }
    EXPECT_EQ(Names(parent.children), std::vector<std::string>({"a", "b"}));
}

TEST(NodeTree, DestructionFreesChildrenFrontToBack)
{
    std::vector<std::string> log;
    {
        Node parent;
        parent.AddChild(new LogNode("a", log));
        parent.AddChild(new LogNode("b", log));
        log.clear();
    }
    EXPECT_EQ(log, std::vector<std::string>({"delete a", "delete b"}));
}

TEST(NodeTree, CollectDescendantsListsChildrenThenEachSubtree)
{
    std::vector<std::string> log;
    Node root;
    auto* a = new LogNode("A", log);
    auto* b = new LogNode("B", log);
    auto* a1 = new LogNode("A1", log);
    root.AddChild(a);
    root.AddChild(b);
    a->AddChild(a1);
    a->AddChild(new LogNode("A2", log));
    a1->AddChild(new LogNode("A1a", log));
    b->AddChild(new LogNode("B1", log));
    EXPECT_EQ(Names(root.CollectDescendants()), std::vector<std::string>({"A", "B", "A1", "A2", "A1a", "B1"}));
    EXPECT_TRUE(static_cast<Node*>(b)->children.front()->CollectDescendants().empty());
}

TEST(NodeTree, ChildAttachedDuringUpdateIsUpdatedInTheSameWalkAfterItsParent)
{
    std::vector<std::string> log;
    Node root;
    auto* parent = new LogNode("p", log);
    auto* sibling = new LogNode("s", log);
    root.AddChild(parent);
    root.AddChild(sibling);
    parent->spawnOnUpdate = new LogNode("late", log);
    log.clear();
    Node::UpdateTree(&root);
    EXPECT_EQ(log, std::vector<std::string>({"update p", "init late", "update late", "update s"}));
}

TEST(NodeTree, HiddenAncestorHidesTheSubtree)
{
    Node root;
    auto* scene = new Node();
    auto* widget = new Node();
    root.AddChild(scene);
    scene->AddChild(widget);
    EXPECT_TRUE(widget->IsVisibleInTree());
    scene->visible = false;
    EXPECT_FALSE(widget->IsVisibleInTree());
    EXPECT_TRUE(widget->visible);
}

TEST(NodeTree, AbsoluteLayerIsTheSumOfLayersUpTheChain)
{
    Node root;
    auto* a = new Node();
    auto* b = new Node();
    auto* c = new Node();
    root.AddChild(a);
    a->AddChild(b);
    b->AddChild(c);
    EXPECT_EQ(c->GetAbsoluteZ(), 4);
    b->z = 5;
    EXPECT_EQ(c->GetAbsoluteZ(), 8);
}

TEST(NodeTree, FixedToScreenPositionIgnoresParentsAndFollowsTheCamera)
{
    RootNode root;
    InputManager::Instance().root = &root;
    Node parent;
    parent.position = {500, 500};
    auto* widget = new Node();
    widget->position = {20, 30};
    widget->fixedToScreen = true;
    parent.AddChild(widget);
    EXPECT_EQ(widget->GetAbsolutePosition().x, 20.0f);
    EXPECT_EQ(widget->GetAbsolutePosition().y, 30.0f);

    // A board's camera scrolled to (300, -40): the widget stays at its screen place.
    auto* board = new TileMap();
    board->initialized = true;  // keep the game's set-up out of this test
    root.AddChild(board);
    board->camera = new CameraNode();
    board->AddChild(board->camera);
    board->camera->position = {300, -40};
    EXPECT_EQ(widget->GetAbsolutePosition().x, 320.0f);
    EXPECT_EQ(widget->GetAbsolutePosition().y, -10.0f);

    auto* plain = new Node();
    plain->position = {1, 2};
    parent.AddChild(plain);
    EXPECT_EQ(plain->GetAbsolutePosition().x, 501.0f);
    InputManager::Instance().root = nullptr;
}
