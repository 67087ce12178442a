#include "input/CameraNode.h"
#include "support/TestGame.h"

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

// A tree of logging nodes, built by naming each node's parent.
class NodeTree : public testing::Test {
protected:
    LogNode* Add(const std::string& name, Node* parent = nullptr)
    {
        auto* node = new LogNode(name, log);
        (parent != nullptr ? parent : &root)->AddChild(node);
        return node;
    }
    static std::vector<std::string> Names(const std::vector<Node*>& nodes)
    {
        std::vector<std::string> names;
        std::transform(nodes.begin(), nodes.end(), std::back_inserter(names),
                       [](Node* node) { return static_cast<LogNode*>(node)->name; });
        return names;
    }
    std::vector<std::string> log;  // declared first: the nodes log into it while the root frees them
    Node root;
};
}  // namespace

TEST_F(NodeTree, AddChildReparentsAndRunsInitOnceAndAStrangerCannotBeRemoved)
{
    Node other;
    LogNode* child = Add("c", &other);
    root.AddChild(child);
    EXPECT_TRUE(other.children.empty());
    EXPECT_EQ(child->parent, &root);
    EXPECT_EQ(log, std::vector<std::string>({"init c"}));
    Node stranger;
    EXPECT_THROW(root.RemoveChild(&stranger), std::exception);
    EXPECT_EQ(Names(root.children), std::vector<std::string>({"c"}));
}

TEST_F(NodeTree, DescendantsAreListedChildrenFirstAndFreedFrontToBack)
{
    LogNode* a = Add("A");
    LogNode* a1 = Add("A1", a);
    Add("A2", a);
    Add("A1a", a1);
    Add("B1", Add("B"));
    EXPECT_EQ(Names(root.CollectDescendants()), std::vector<std::string>({"A", "B", "A1", "A2", "A1a", "B1"}));
    log.clear();
    root.RemoveChild(a);
    delete a;
    EXPECT_EQ(log, std::vector<std::string>({"delete A", "delete A1", "delete A1a", "delete A2"}));
}

TEST_F(NodeTree, ChildAttachedDuringUpdateIsUpdatedInTheSameWalkAfterItsParent)
{
    LogNode* parent = Add("p");
    Add("s");
    parent->spawnOnUpdate = new LogNode("late", log);
    log.clear();
    Node::UpdateTree(&root);
    EXPECT_EQ(log, std::vector<std::string>({"update p", "init late", "update late", "update s"}));
}

TEST_F(NodeTree, VisibilityAndLayerFollowTheChainOfParents)
{
    LogNode* scene = Add("scene");
    LogNode* middle = Add("middle", scene);
    LogNode* widget = Add("widget", middle);
    middle->z = 5;
    EXPECT_EQ(widget->GetAbsoluteZ(), 8) << "layers add up: 1 + 5 + 1 + 1";
    scene->visible = false;
    EXPECT_FALSE(widget->IsVisibleInTree()) << "a hidden ancestor hides the subtree";
}

TEST(NodePosition, FixedToScreenPositionIgnoresParentsAndFollowsTheCamera)
{
    TestGame game;  // the widget finds the camera through the root of its tree
    auto* parentNode = new Node();
    game.root.AddChild(parentNode);
    Node& parent = *parentNode;
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
    game.root.AddChild(board);
    board->camera = new CameraNode();
    board->AddChild(board->camera);
    board->camera->position = {300, -40};
    EXPECT_EQ(widget->GetAbsolutePosition().x, 320.0f);
    EXPECT_EQ(widget->GetAbsolutePosition().y, -10.0f);

    auto* plain = new Node();
    plain->position = {1, 2};
    parent.AddChild(plain);
    EXPECT_EQ(plain->GetAbsolutePosition().x, 501.0f);
}
