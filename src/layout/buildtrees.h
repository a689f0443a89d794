#pragma once

#include "node.h"

#include <cstdint>
#include <vector>

namespace marquetrix::layout {

// Every split tree over the nodes in their order, in a fixed order: split points
// ascending, then left trees, then right trees, Horizontal before Vertical. From five
// nodes up a split leaves at least two nodes on each side. Subtrees are shared.
std::vector<NodePtr> buildTrees(const std::vector<NodePtr> &nodes);

// How many trees buildTrees gives for n nodes (1, 2, 8, 40, 64, 448, 1792, ...);
// saturates at UINT64_MAX.
std::uint64_t treeCount(std::size_t n);

} // namespace marquetrix::layout
