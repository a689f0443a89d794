#pragma once

#include "logsink.h"
#include "node.h"
#include "searchinput.h"

#include <cstdint>
#include <vector>

namespace marquetrix::layout {

// What one search did, for diagnostics and benchmarks.
struct SearchReport
{
    std::size_t candidates = 0;
    std::size_t permutationsUsed = 0;
    std::uint64_t work = 0;  // tree ratios computed
    bool bounded = false;    // the work bound cut the search short
    bool cached = false;     // answered from the cache
    std::int64_t micros = 0; // the search's own time
};

// The snapped ratios of the open videos, in list order.
std::vector<float> snappedAspectRatios(const SearchInput &input);

// Whether the cached tree was computed for exactly these inputs.
bool isCacheValid(const LayoutCache &cache, const SearchInput &input,
                  const std::vector<float> &aspectRatios);

// The tree with the smallest mismatch to the target; the first one on ties.
NodePtr pickFallback(const std::vector<NodePtr> &trees, float target);

// Chooses the split tree for the open videos by the objective, answering from (and, for
// the size-comparing objectives, filling) the cache. Returns a tree whose leaves carry
// their area shares, or an ErrorNode when no video is open.
//
// Equivalent to building every tree of every ordering, but computes trees as indexes and
// numbers and builds nodes only for the result. The work is bounded (never by wall-clock
// time): orderings stop being tried once kWorkBound units of work were done (tree ratios
// computed, good trees ranked and size ratios evaluated, weighed by their cost), and above
// kExhaustiveTrees trees per ordering (ten or more videos) only balanced splits are tried,
// unless all trees of all orderings together stay within kExhaustiveWork.
// Below those bounds the result is the same tree the exhaustive search finds; up to
// kAlwaysComplete videos (a few milliseconds at worst) the search is always complete.
//
// Above kLargestUncapped videos even the balanced trees of one ordering are too many to
// go through (a million for 17 videos, 67 million for 19), so every part of an ordering
// keeps at most TreeSpace::kKeptTrees of its trees, spread over its range of shapes, and
// only the whole ordering's combinations of those are ranked. One ordering then costs at
// most about 4 * kKeptTrees^2 work for each of its parts (about 100,000 units and well
// under a megabyte for 64 videos), the work bound stops further orderings as before, and
// what is given up is the trees that no kept parts make, and the orderings beyond the
// bound: orderings come in lexicographic order, so those tried differ in their last
// videos only.
NodePtr findLayout(const SearchInput &input, LayoutCache &cache, LogSink &log,
                   SearchReport *report = nullptr);

inline constexpr std::size_t kAlwaysComplete = 7;
inline constexpr std::size_t kLargestUncapped = 16;
inline constexpr std::uint64_t kWorkBound = 1'500'000;
inline constexpr std::uint64_t kExhaustiveTrees = 50'000;
inline constexpr std::uint64_t kExhaustiveWork = kWorkBound;

} // namespace marquetrix::layout
