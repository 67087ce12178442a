#pragma once

#include <vector>

class Node;

// The order in which a frame draws the given nodes: ascending absolute layer.
// NOTE: among equal layers the order is the one an array heap (children of i at
// 2i+1 and 2i+2) produces from the list's order; what the screen shows depends on it,
// so a sort must not replace it.
std::vector<Node*> DrawOrder(const std::vector<Node*>& drawList);
