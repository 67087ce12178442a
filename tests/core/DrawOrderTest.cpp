#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "core/DrawOrder.h"
#include "core/Node.h"

namespace {
// Detached nodes with a chosen layer, named A, B, ...: a node without parent has its own z as
// absolute layer. (Layers added up a tree are the node tree's; the menu drawn over the pieces
// shows the two together.)
struct Named {
    explicit Named(const std::vector<int>& layers)
    {
        for (size_t i = 0; i < layers.size(); ++i) {
            owned.emplace_back(new Node());
            owned.back()->z = layers[i];
            list.push_back(owned.back().get());
            names[list.back()] = std::string(1, static_cast<char>('A' + i));
        }
    }
    std::string Order(const std::vector<Node*>& order)
    {
        return std::accumulate(order.begin(), order.end(), std::string(), [this](std::string text, Node* node) {
            return text + (names.count(node) != 0 ? names[node] : "?");
        });
    }
    std::vector<std::unique_ptr<Node>> owned;
    std::vector<Node*> list;
    std::map<Node*, std::string> names;
};
}  // namespace

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
    EXPECT_TRUE(DrawOrder({}).empty());
    Named nodes({2, 2, 3, 2, 3, 3, 2});
    EXPECT_EQ(nodes.Order(DrawOrder(nodes.list)), "GADBFCE");
}

// Four nodes of one layer (n = 4, the range has a lone last child):
//   build h=1, v=B: lone child D moves up, B lands at 3.            [A D C B]
//   build h=0, v=A: D,C tie -> right C up, hole 2; A at 2.          [C D A B]
//   out C; v=B, n=3: D,A tie -> A up, hole 2; B at 2.               [A D B]
//   out A; v=B, n=2: lone child D up, hole 1; B at 1.               [D B]
//   out D; out B.
TEST(DrawOrder, OneLayerOnlyStillFollowsTheHeapNotTheListOrder)
{
    Named nodes({1, 1, 1, 1});
    EXPECT_EQ(nodes.Order(DrawOrder(nodes.list)), "CADB");
}

TEST(DrawOrder, LayersAlwaysAscendWhateverTheListOrder)
{
    Named nodes({9, 3, 7, 1, 3, 8, 2, 2, 6, 1, 5});
    std::vector<Node*> order = DrawOrder(nodes.list);
    ASSERT_EQ(order.size(), nodes.owned.size());
    for (size_t i = 1; i < order.size(); ++i) {
        EXPECT_LE(order[i - 1]->z, order[i]->z) << "drawn in the order " << nodes.Order(order);
    }
}

