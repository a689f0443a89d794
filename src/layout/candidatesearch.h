#pragma once

#include "layoutsearch.h"
#include "rankedtrees.h"
#include "treespace.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace marquetrix::layout {

using SearchClock = std::chrono::steady_clock;

inline std::int64_t microsSince(SearchClock::time_point started)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(SearchClock::now() - started)
        .count();
}

// One search past the cache: walks the orderings of the ratios and keeps the trees that
// pass both filters as candidates, then chooses among them.
class CandidateSearch
{
public:
    CandidateSearch(const SearchInput &searched, const std::vector<float> &snapped,
                    float viewTarget, SearchReport &report);

    // Tries orderings until enough candidates are found or the work bound is reached.
    void collect();

    // The best candidate by the objective (cached for the size-comparing objectives), the
    // best fit of all trees when no tree passed, or an ErrorNode when there was no tree.
    NodePtr choose(LayoutCache &cache, LogSink &log, SearchClock::time_point started);

private:
    // One tree of one ordering: enough to rank it and to build it later.
    struct TreeRef
    {
        std::size_t ordering;
        std::uint64_t index;
        float aspect;
        float sizeRatio = 1.0f;
    };

    // Both filters over the trees of one ordering; false once there are enough candidates.
    bool takeOrdering(const std::vector<float> &ordering);

    // The passes walk the good trees best fit first and stop at the first one too far
    // from the best fit. With five or more records only trees that fit the clamped
    // target within the tolerance are taken, so only those (at the last tolerance)
    // need ordering; where the walk stops is found among all good trees.
    bool selectEligible();

    // One pass of the second filter at this tolerance; the number of candidates it took.
    long acceptWithin(std::size_t orderingIndex, float bestGoodAspect, float tolerance);

    // The index of the best of two or more candidates by the objective.
    std::uint64_t bestCandidate(LogSink &log) const;

    NodePtr build(const TreeRef &ref);

    const SearchInput &input;
    const std::vector<float> &ratios;
    const std::size_t n;
    const float target;
    const float clampedTarget;
    const std::uint64_t orderingCount;
    const std::uint64_t quota;
    const float threshold;
    const bool manyRecords;
    SearchReport &stats;
    const TreeSpace::Family family;
    TreeSpace space;
    const std::uint64_t sizeRatioWork;
    std::vector<float> distinct;
    std::vector<std::vector<float>> orderings;
    std::vector<TreeRef> candidates;
    TreeSpace::BestFit bestFit;
    std::unordered_set<std::string> usedOrderings;
    std::size_t permutationsUsed = 0;
    long rejected = 0;
    // Reused from ordering to ordering.
    std::vector<RankedTree> good;
    std::vector<RankedTree> eligible;
};

} // namespace marquetrix::layout
