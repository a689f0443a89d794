#pragma once

#include "ratiorules.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace marquetrix::layout {

// The objective compares sizes only among this many best-fitting candidates.
inline constexpr std::size_t kBestFitting = 61;

// A tree as the search ranks it.
struct RankedTree
{
    std::uint64_t index;
    float aspect;
    float closeness;
    float sizeRatio = 1.0f;
    bool sizeRatioKnown = false;
};

// Best fit first, equal fits in build order: the order in which a stable sort by fit
// leaves a list of trees in build order.
inline bool fitsBetter(const RankedTree &a, const RankedTree &b)
{
    if (a.closeness != b.closeness)
        return a.closeness > b.closeness;
    return a.index < b.index;
}

// Best fit first; equal fits keep their order.
inline void sortByCloseness(std::vector<RankedTree> &trees)
{
    std::stable_sort(trees.begin(), trees.end(), [](const RankedTree &a, const RankedTree &b) {
        return a.closeness > b.closeness;
    });
}

// Most uniform sizes first, then best fit; otherwise equal trees keep their order.
inline void sortBySizeThenCloseness(std::vector<RankedTree> &trees)
{
    std::stable_sort(trees.begin(), trees.end(), [](const RankedTree &a, const RankedTree &b) {
        if (a.sizeRatio != b.sizeRatio)
            return a.sizeRatio < b.sizeRatio;
        return a.closeness > b.closeness;
    });
}

// The smallest mismatch to the target, the first one on ties; the first entry when no
// mismatch beats the starting value.
inline std::size_t bestFitIndex(const std::vector<float> &aspects, float target)
{
    std::size_t best = 0;
    float bestMismatch = 1e10f;
    for (std::size_t k = 0; k < aspects.size(); ++k) {
        const float m = mismatch(aspects[k], target);
        if (m < bestMismatch) {
            bestMismatch = m;
            best = k;
        }
    }
    return best;
}

} // namespace marquetrix::layout
