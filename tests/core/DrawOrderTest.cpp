#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/DrawOrder.h"
#include "core/Node.h"

namespace {
// Detached nodes A, B, ... with the given layers (a node without a parent has its own z as absolute
// layer), named in the order they are drawn.
std::string DrawnOrder(const std::vector<int>& layers)
{
    std::vector<std::unique_ptr<Node>> owned;
    std::vector<Node*> nodes;
    for (int z : layers) {
        nodes.push_back(owned.emplace_back(new Node()).get());
        nodes.back()->z = z;
    }
    std::string names;
    for (Node* node : DrawOrder(nodes)) {
        names += static_cast<char>('A' + (std::find(nodes.begin(), nodes.end(), node) - nodes.begin()));
    }
    return names;
}
}  // namespace

// Equal layers come out in the order of a heap sort over the array, not in list order.
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
// Four nodes of one layer (n = 4, the range has a lone last child):
//   build h=1, v=B: lone child D moves up, B lands at 3.            [A D C B]
//   build h=0, v=A: D,C tie -> right C up, hole 2; A at 2.          [C D A B]
//   out C; v=B, n=3: D,A tie -> A up, hole 2; B at 2.               [A D B]
//   out A; v=B, n=2: lone child D up, hole 1; B at 1.               [D B]
//   out D; out B.
TEST(DrawOrder, LayersAscendAndEqualLayersFollowTheArrayHeap)
{
    EXPECT_EQ(DrawnOrder({2, 2, 3, 2, 3, 3, 2}), "GADBFCE");
    EXPECT_EQ(DrawnOrder({1, 1, 1, 1}), "CADB");
}
