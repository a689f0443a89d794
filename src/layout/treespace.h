#pragma once

#include "layoutdirection.h"
#include "node.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace marquetrix::layout {

// The split trees over one ordering of ratios, without building them: each tree is an
// index into the order in which buildTrees would produce it, and its aspect ratio, leaf
// shares and size ratio are computed with the same 32-bit arithmetic as the nodes'.
// Lists of sub-orderings are memoised across orderings, since the search's orderings
// share most of their prefixes and suffixes.
class TreeSpace
{
public:
    // Which trees: every tree buildTrees makes, or (for too many ratios to try them all)
    // only those that split every run of four or more ratios in its middle.
    enum class Family
    {
        Exhaustive,
        Balanced
    };

    explicit TreeSpace(Family family = Family::Exhaustive);

    // How many trees there are over `count` ratios (saturating).
    std::uint64_t treeCount(std::size_t count) const;
    using Aspects = std::shared_ptr<const std::vector<float>>;

    // Aspect ratios of every tree over the ordering, in build order. Sub-orderings are
    // cached; the full ordering is not (each ordering is seen once).
    Aspects trees(const std::vector<float> &ordering);

    // Leaf shares of tree `index` after distributing the share 1.0, in leaf order.
    std::vector<float> leafShares(const std::vector<float> &ordering, std::uint64_t index);
    float sizeRatio(const std::vector<float> &ordering, std::uint64_t index);

    // A real tree, built fresh with its own leaves, shares distributed.
    NodePtr build(const std::vector<float> &ordering, std::uint64_t index);

    // Ratio values computed so far (tree aspects, cached or not): the search's unit of work.
    std::uint64_t work() const { return workDone; }

private:
    struct Split
    {
        std::size_t at;
        std::uint64_t left;
        std::uint64_t right;
        LayoutDirection direction;
    };

    Aspects cached(const float *values, std::size_t count);
    Aspects compute(const float *values, std::size_t count);
    Split decode(std::size_t count, std::uint64_t index) const;
    std::pair<std::size_t, std::size_t> splitRange(std::size_t count) const;
    void distribute(const float *values, std::size_t count, std::uint64_t index, float share,
                    std::vector<float> &shares);
    NodePtr buildNode(const float *values, std::size_t count, std::uint64_t index);

    struct KeyHash
    {
        std::size_t operator()(const std::vector<std::uint32_t> &key) const;
    };
    std::unordered_map<std::vector<std::uint32_t>, Aspects, KeyHash> memo;
    std::uint64_t workDone = 0;
    Family family;
    std::vector<std::uint64_t> counts;
};

} // namespace marquetrix::layout
