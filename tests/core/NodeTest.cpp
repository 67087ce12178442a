#include "support/TestGame.h"

namespace {
// Appends its name to a shared log when it is set up and updated; may attach a child while it updates.
class LogNode : public Node {
public:
    LogNode(std::string name_, std::string& log_) : name(std::move(name_)), log(log_) {}
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
TEST(NodeTree, AttachingAndWalking)
{
    std::string log;
    Node root;
    auto add = [&](const char* name, Node* parent) {
        Node* node = new LogNode(name, log);
        parent->AddChild(node);
        return node;
    };
    Node* a = add("A", &root);
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

    // A child attached during the update walk is updated in the same walk, right after its parent.
    static_cast<LogNode*>(a2)->spawn = new LogNode("late", log);
    log.clear();
    Node::UpdateTree(&root);
    EXPECT_EQ(log, "A A1 A1a A2 init late late B B1 ");
}
