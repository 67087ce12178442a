#include "input/CameraNode.h"
#include "support/TestGame.h"

namespace {
// Appends its name to a shared log on every lifecycle call; may attach a child while it updates.
class LogNode : public Node {
public:
    LogNode(std::string name_, std::string& log_) : name(std::move(name_)), log(log_) {}
    ~LogNode() override { log += "~" + name + " "; }
    void Init() override { log += "init " + name + " "; }
    void Update() override
    {
        log += name + " ";
        if (spawn != nullptr) {
            AddChild(std::exchange(spawn, nullptr));
        }
    }
    std::string name;
    std::string& log;
    Node* spawn = nullptr;
};
}  // namespace

// root > [A > [A1 > [A1a], A2], B > [B1]]
TEST(NodeTree, AttachingWalkingAndFreeing)
{
    std::string log;  // declared first: the nodes log into it while the root frees them
    Node root;
    auto add = [&](const char* name, Node* parent) {
        Node* node = new LogNode(name, log);
        parent->AddChild(node);
        return node;
    };
    Node other;
    Node* a = add("A", &other);
    root.AddChild(a);
    EXPECT_TRUE(other.children.empty() && a->parent == &root) << "AddChild takes the node from its old parent";
    Node* a1 = add("A1", a);
    Node* a2 = add("A2", a);
    add("A1a", a1);
    add("B1", add("B", &root));
    EXPECT_EQ(log, "init A init A1 init A2 init A1a init B init B1 ") << "Init runs once per node";
    std::string listed;
    for (Node* node : root.CollectDescendants()) {
        listed += static_cast<LogNode*>(node)->name + " ";
    }
    EXPECT_EQ(listed, "A B A1 A2 A1a B1 ") << "children before grandchildren";
    Node stranger;
    EXPECT_THROW(root.RemoveChild(&stranger), std::exception);

    // A child attached during the update walk is updated in the same walk, right after its parent.
    static_cast<LogNode*>(a2)->spawn = new LogNode("late", log);
    log.clear();
    Node::UpdateTree(&root);
    EXPECT_EQ(log, "A A1 A1a A2 init late late B B1 ");
    log.clear();
    root.RemoveChild(a);
    delete a;
    EXPECT_EQ(log, "~A ~A1 ~A1a ~A2 ~late ") << "a subtree is freed front to back";
}

TEST(NodeTree, LayerVisibilityAndPositionFollowTheChainOfParents)
{
    TestGame game;  // a widget fixed to the screen finds the camera through the root of its tree
    auto* scene = new Node();
    game.root.AddChild(scene);
    auto* middle = new Node();
    scene->AddChild(middle);
    auto* widget = new Node();
    middle->AddChild(widget);
    middle->z = 5;
    EXPECT_EQ(widget->GetAbsoluteZ(), 8) << "layers add up: 1 + 5 + 1 + 1";
    scene->visible = false;
    EXPECT_FALSE(widget->IsVisibleInTree()) << "a hidden ancestor hides the subtree";

    middle->position = {500, 500};
    widget->position = {20, 30};
    EXPECT_EQ(widget->GetAbsolutePosition().x, 520.0f) << "a plain node adds its parents' positions";
    widget->fixedToScreen = true;
    // A board's camera scrolled to (300, -40): the widget keeps its screen place.
    auto* board = new TileMap();
    board->initialized = true;  // keep the game's set-up out of this test
    game.root.AddChild(board);
    board->camera = new CameraNode();
    board->AddChild(board->camera);
    board->camera->position = {300, -40};
    EXPECT_EQ(widget->GetAbsolutePosition().x, 320.0f);
    EXPECT_EQ(widget->GetAbsolutePosition().y, -10.0f);
}
