#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "core/DrawOrder.h"
#include "core/Node.h"

// Nodes come out in ascending layer; among equal layers, in the order that the usual array heap
// (children of i at 2i+1 and 2i+2) gives them, which is the standard library's own heap in
// libstdc++: built with make_heap, emptied with pop_heap, a ranking below b when a's layer is
// greater. Random lists of detached nodes (a node without a parent has its own z as its layer),
// with few layers so that ties are common, against that heap.
TEST(DrawOrder, IsTheOrderOfTheArrayHeapOnTheDrawList)
{
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        const size_t count = random() % 40;
        std::vector<std::unique_ptr<Node>> owned;
        std::vector<Node*> nodes;
        for (size_t i = 0; i < count; ++i) {
            nodes.push_back(owned.emplace_back(new Node()).get());
            nodes.back()->z = static_cast<int32_t>(random() % 4) - 1;
        }
        auto ranksBelow = [](const Node* a, const Node* b) { return a->GetAbsoluteZ() > b->GetAbsoluteZ(); };
        std::vector<Node*> heap = nodes;
        std::make_heap(heap.begin(), heap.end(), ranksBelow);
        std::vector<Node*> expected;
        for (auto end = heap.end(); end != heap.begin(); --end) {
            std::pop_heap(heap.begin(), end, ranksBelow);
            expected.push_back(*(end - 1));
        }
        ASSERT_EQ(DrawOrder(nodes), expected) << "round " << round << ", " << count << " nodes";
    }
}
