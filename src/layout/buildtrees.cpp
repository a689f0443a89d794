#include "buildtrees.h"

#include "layoutnode.h"
#include "leafnode.h"

#include <limits>

namespace marquetrix::layout {

namespace {

// Beyond this the count saturates anyway.
constexpr std::size_t kMaxCountedNodes = 64;

std::size_t minimumSide(std::size_t n)
{
    return n < 5 ? 1 : 2;
}

std::uint64_t saturatingMultiply(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::uint64_t>::max()
                                                  : product;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t sum;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::uint64_t>::max() : sum;
}

} // namespace

std::vector<NodePtr> buildTrees(const std::vector<NodePtr> &nodes)
{
    const std::size_t n = nodes.size();
    if (n == 0)
        return {};
    if (n == 1)
        return {std::make_shared<LeafNode>(nodes[0]->aspectRatio(), 1.0f)};
    if (n == 2)
        return {std::make_shared<LayoutNode>(nodes[0], nodes[1], LayoutDirection::Horizontal),
                std::make_shared<LayoutNode>(nodes[0], nodes[1], LayoutDirection::Vertical)};

    std::vector<NodePtr> trees;
    const std::size_t m = minimumSide(n);
    for (std::size_t i = m; i <= n - m; ++i) {
        const std::vector<NodePtr> head(nodes.begin(), nodes.begin() + static_cast<long>(i));
        const std::vector<NodePtr> tail(nodes.begin() + static_cast<long>(i), nodes.end());
        for (const NodePtr &l : buildTrees(head)) {
            for (const NodePtr &r : buildTrees(tail)) {
                trees.push_back(std::make_shared<LayoutNode>(l, r, LayoutDirection::Horizontal));
                trees.push_back(std::make_shared<LayoutNode>(l, r, LayoutDirection::Vertical));
            }
        }
    }
    return trees;
}

std::uint64_t treeCount(std::size_t n)
{
    static const std::vector<std::uint64_t> counts = [] {
        std::vector<std::uint64_t> table{0, 1, 2};
        for (std::size_t k = 3; k <= kMaxCountedNodes; ++k) {
            std::uint64_t total = 0;
            for (std::size_t i = minimumSide(k); i <= k - minimumSide(k); ++i)
                total = saturatingAdd(
                    total, saturatingMultiply(2, saturatingMultiply(table[i], table[k - i])));
            table.push_back(total);
        }
        return table;
    }();
    return n < counts.size() ? counts[n] : std::numeric_limits<std::uint64_t>::max();
}

} // namespace marquetrix::layout
