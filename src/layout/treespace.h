#pragma once

#include "layoutdirection.h"
#include "node.h"
#include "rankedtrees.h"
#include "splitgeometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace marquetrix::layout {

// The split trees over one ordering of ratios, without building them: each tree is an
// index into the order in which buildTrees would produce it, and its aspect ratio, leaf
// shares and size ratio are computed with the same 32-bit arithmetic as the nodes'.
// The tree lists of sub-orderings are memoised across orderings, since the search's
// orderings share most of their prefixes and suffixes; the full ordering's trees are
// never listed, only scanned.
class TreeSpace
{
public:
    // Which trees: every tree buildTrees makes, or (for too many ratios to try them all)
    // only those that split every run of four or more ratios in its middle; or (for more
    // ratios than even those can be counted through) such balanced trees of which every
    // sub-ordering keeps at most kKeptTrees (see keepSome), so that an ordering costs at
    // most about 4 * kKeptTrees^2 work per sub-ordering, whatever the number of ratios.
    enum class Family
    {
        Exhaustive,
        Balanced,
        Capped
    };

    static constexpr std::size_t kKeptTrees = 64;

    // The best fit seen so far over all scanned trees: the smallest mismatch to the
    // target, the first one in scanning order on ties.
    struct BestFit
    {
        std::size_t ordering = 0;
        std::uint64_t index = 0;
        float aspect = 0.0f;
        float mismatch = 1e10f;
        bool seen = false;
    };

    explicit TreeSpace(Family family = Family::Exhaustive);

    // How many trees there are over `count` ratios (saturating).
    std::uint64_t treeCount(std::size_t count) const;

    // Makes `ordering` the one that scan and sizeRatio work on.
    void setOrdering(const std::vector<float> &ordering);

    // Goes through the current ordering's trees in build order: appends every tree whose
    // mismatch to `target` is below `threshold` to `good`, and updates `best`. Runs of
    // trees that can neither be good nor beat `best` are passed over unseen.
    void scan(std::size_t orderingNumber, float target, float threshold, BestFit &best,
              std::vector<RankedTree> &good);

    // Largest over smallest leaf share of the current ordering's tree `index`.
    float sizeRatio(std::uint64_t index);

    // A real tree, built fresh with its own leaves, shares distributed.
    NodePtr build(const std::vector<float> &ordering, std::uint64_t index);

    // Tree ratios computed and runs of trees looked at: the search's unit of work.
    std::uint64_t work() const { return workDone; }
    void addWork(std::uint64_t units) { workDone += units; }

private:
    // Where a kept tree comes from among the combinations of its two halves' kept trees,
    // and its largest and smallest leaf share within it.
    struct Kept
    {
        std::uint32_t combination;
        float smallestShare;
        float largestShare;
    };

    struct Interval
    {
        std::vector<float> aspects; // every tree's ratio, in build order
        std::vector<Kept> kept;     // the capped family's trees, in the order of aspects
        float smallest = 0.0f;
        float largest = 0.0f;
    };
    using IntervalPtr = std::shared_ptr<const Interval>;

    struct Split
    {
        std::size_t at;
        std::uint64_t left;
        std::uint64_t right;
        LayoutDirection direction;
    };

    struct KeyHash
    {
        std::size_t operator()(const std::vector<std::uint32_t> &key) const;
    };

    std::pair<std::size_t, std::size_t> splitRange(std::size_t count) const;
    Split decode(std::size_t count, std::uint64_t index) const;
    template <typename Halves>
    Split decodeCombination(std::size_t count, std::uint64_t combination, Halves halves) const;
    Split splitOf(const float *values, std::size_t count, std::uint64_t index, bool kept);
    IntervalPtr interval(const float *values, std::size_t count);
    void combineCapped(const float *values, std::size_t count, Interval &made);
    void keepSome(std::vector<float> &aspects, std::vector<Kept> &kept) const;
    IntervalPtr orderingInterval(std::size_t start, std::size_t count);
    void distribute(std::size_t start, std::size_t count, std::uint64_t index, float share,
                    ShareExtremes &extremes);
    NodePtr buildNode(const float *values, std::size_t count, std::uint64_t index, bool kept);

    Family family;
    std::vector<std::uint64_t> counts;
    std::unordered_map<std::vector<std::uint32_t>, IntervalPtr, KeyHash> memo;
    std::vector<std::uint32_t> scratchKey;
    std::uint64_t workDone = 0;

    std::vector<float> current;
    // Sub-orderings of the current ordering by start and length, filled on demand (not
    // in the capped family).
    std::vector<IntervalPtr> currentIntervals;
};

} // namespace marquetrix::layout
