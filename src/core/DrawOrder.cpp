#include "core/DrawOrder.h"

#include <cstddef>
#include <cstdint>

#include "core/Node.h"

namespace {
struct Entry {
    Node* node;
    int32_t layer;  // the tree does not change while drawing, so the layer is computed once
};

// Moves the hole down to a leaf, always toward the child with the lower layer
// (the right one on a tie), then lets the pending entry rise back while its
// parent's layer is strictly greater.
void SiftFromHole(std::vector<Entry>& heap, size_t count, size_t hole, Entry pending, size_t top)
{
    while (2 * hole + 2 < count) {
        size_t left = 2 * hole + 1;
        size_t right = 2 * hole + 2;
        size_t pick = heap[right].layer > heap[left].layer ? left : right;
        heap[hole] = heap[pick];
        hole = pick;
    }
    if (count % 2 == 0 && count >= 2 && hole == (count - 2) / 2) {
        heap[hole] = heap[count - 1];
        hole = count - 1;
    }
    while (hole > top) {
        size_t up = (hole - 1) / 2;
        if (!(heap[up].layer > pending.layer)) {
            break;
        }
        heap[hole] = heap[up];
        hole = up;
    }
    heap[hole] = pending;
}
}  // namespace

std::vector<Node*> DrawOrder(const std::vector<Node*>& drawList)
{
    std::vector<Entry> heap;
    heap.reserve(drawList.size());
    for (Node* node : drawList) {
        heap.push_back({node, node->GetAbsoluteZ()});
    }
    size_t count = heap.size();
    if (count >= 2) {
        for (size_t h = count / 2; h-- > 0;) {
            SiftFromHole(heap, count, h, heap[h], h);
        }
    }
    std::vector<Node*> order;
    order.reserve(count);
    while (count > 0) {
        order.push_back(heap[0].node);
        if (count > 1) {
            Entry last = heap[count - 1];
            heap[count - 1] = heap[0];
            --count;
            SiftFromHole(heap, count, 0, last, 0);
        } else {
            --count;
        }
    }
    return order;
}
