#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DrawOrder.h"
#include "core/Node.h"

namespace {
// Detached nodes with a chosen layer: a node without parent has its own z as absolute layer.
struct LayeredNodes {
    explicit LayeredNodes(const std::vector<int>& layers)
    {
        for (size_t i = 0; i < layers.size(); ++i) {
            owned.emplace_back(new Node());
            owned.back()->z = layers[i];
            names[owned.back().get()] = std::string(1, static_cast<char>('A' + i));
        }
    }
    std::vector<Node*> List() const
    {
        std::vector<Node*> list;
        for (const auto& node : owned) {
            list.push_back(node.get());
        }
        return list;
    }
    std::string Order(const std::vector<Node*>& order) const
    {
        std::string text;
        for (Node* node : order) {
            auto it = names.find(node);
            text += it == names.end() ? "?" : it->second;
        }
        return text;
    }
    std::vector<std::unique_ptr<Node>> owned;
    std::map<Node*, std::string> names;
};

// A named node attached below `parent` (owned by it).
Node* Attach(Node& parent, std::map<Node*, std::string>& names, const std::string& name, int z = 1)
{
    auto* node = new Node();
    node->z = z;
    parent.AddChild(node);
    names[node] = name;
    return node;
}
}  // namespace

TEST(DrawOrder, EmptyListDrawsNothingAndOneNodeDrawsItself)
{
    EXPECT_TRUE(DrawOrder({}).empty());
    LayeredNodes one({4});
    EXPECT_EQ(one.Order(DrawOrder(one.List())), "A");
}

// Layers A..G = 2,2,3,2,3,3,2 (n = 7). Slots hold the heap array.
// Build (h = 2, 1, 0):
//   h=2, v=C3: children F3,G2 -> G2 up, hole 6; G2 not > 3, C lands at 6.   [A B G D E F C]
//   h=1, v=B2: children D2,E3 -> D2 up, hole 3; D2 not > 2, B lands at 3.   [A D G B E F C]
//   h=0, v=A2: children D2,G2 tie -> right G2 up, hole 2; children F3,C3 tie -> C3 up, hole 6;
//              parent C3 > 2 so C3 goes back down, hole 2; parent G2 not > 2, A at 2. [G D A B E F C]
// Pops (v = last entry, sift from the top over the shrunk range):
//   out G; v=C3, n=6: D2,A2 tie -> A up, hole 2; one child F3 -> up, hole 5; C at 5.  [A D F B E C]
//   out A; v=C3, n=5: D2 < F3 -> D up, hole 1; B2 < E3 -> B up, hole 3; C at 3.      [D B F C E]
//   out D; v=E3, n=4: B2 < F3 -> B up, hole 1; one child C3 -> up, hole 3; E at 3.   [B C F E]
//   out B; v=E3, n=3: C3,F3 tie -> F up, hole 2; E at 2.                              [F C E]
//   out F; v=E3, n=2: one child C3 -> up, hole 1; E at 1.                             [C E]
//   out C; out E.
// A stable sort would give ABDG CEF instead.
TEST(DrawOrder, EqualLayersComeOutInArrayHeapOrder)
{
    LayeredNodes nodes({2, 2, 3, 2, 3, 3, 2});
    EXPECT_EQ(nodes.Order(DrawOrder(nodes.List())), "GADBFCE");
}

// Four nodes of one layer (n = 4, the range has a lone last child):
//   build h=1, v=B: lone child D moves up, B lands at 3.            [A D C B]
//   build h=0, v=A: D,C tie -> right C up, hole 2; A at 2.          [C D A B]
//   out C; v=B, n=3: D,A tie -> A up, hole 2; B at 2.               [A D B]
//   out A; v=B, n=2: lone child D up, hole 1; B at 1.               [D B]
//   out D; out B.
TEST(DrawOrder, OneLayerOnlyStillFollowsTheHeapNotTheListOrder)
{
    LayeredNodes nodes({1, 1, 1, 1});
    EXPECT_EQ(nodes.Order(DrawOrder(nodes.List())), "CADB");
}

TEST(DrawOrder, LayersAlwaysAscendWhateverTheListOrder)
{
    LayeredNodes nodes({9, 3, 7, 1, 3, 8, 2, 2, 6, 1, 5});
    std::vector<Node*> order = DrawOrder(nodes.List());
    ASSERT_EQ(order.size(), nodes.owned.size());
    for (size_t i = 1; i < order.size(); ++i) {
        EXPECT_LE(order[i - 1]->z, order[i]->z)
            << "node " << nodes.Order({order[i]}) << " (layer " << order[i]->z << ") came after "
            << nodes.Order({order[i - 1]}) << " (layer " << order[i - 1]->z << ")";
    }
}

// root(1) > board(2) > units(3) > a marker under a unit(4), and a menu with z 5 under
// the board (layer 7): the menu is drawn after every unit and everything below them.
TEST(DrawOrder, HighLayerUnderABoardIsDrawnAfterItsUnitsAndTheirChildren)
{
    Node root;
    std::map<Node*, std::string> names;
    names[&root] = "root";
    Node* board = Attach(root, names, "board");
    Node* menu = Attach(*board, names, "menu", 5);
    Node* first = Attach(*board, names, "unit1");
    Attach(*first, names, "bar1");
    Node* second = Attach(*board, names, "unit2");
    Attach(*second, names, "bar2");
    Attach(*menu, names, "menuButton");

    std::vector<Node*> list = root.CollectDescendants();
    list.push_back(&root);
    std::vector<Node*> order = DrawOrder(list);
    ASSERT_EQ(order.size(), list.size());
    std::map<std::string, size_t> at;
    for (size_t i = 0; i < order.size(); ++i) {
        at[names[order[i]]] = i;
    }
    EXPECT_EQ(at["root"], 0u);
    EXPECT_EQ(at["board"], 1u);
    for (const char* below : {"unit1", "unit2", "bar1", "bar2"}) {
        EXPECT_LT(at[below], at["menu"]) << below << " must be drawn before the menu panel";
    }
    EXPECT_LT(at["menu"], at["menuButton"]);
    EXPECT_EQ(at["menuButton"], order.size() - 1);
}
