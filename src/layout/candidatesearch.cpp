#include "candidatesearch.h"

#include "errornode.h"
#include "ratiorules.h"
#include "uniquepermutationssequence.h"

#include <algorithm>
#include <cmath>

namespace marquetrix::layout {

namespace {

// Above this many candidates no further ordering is tried.
constexpr std::size_t kEnoughCandidates = 141;
constexpr float kMaxSizeRatio = 7.0f;

// Work units, roughly in proportion to the time they take next to computing one ratio.
constexpr std::uint64_t kWorkPerGoodTree = 2;
constexpr std::uint64_t kWorkPerSizeRatio = 4;

// The tolerance of the second filter grows from 1.3 in steps of 0.1 until it exceeds 2.0.
constexpr float kFirstTolerance = 1.3f;
constexpr float kToleranceStep = 0.1f;
constexpr float kToleranceLimit = 2.0f;
constexpr float lastTolerance()
{
    float tolerance = kFirstTolerance;
    while (!(tolerance > kToleranceLimit))
        tolerance += kToleranceStep;
    return tolerance;
}
constexpr float kLastTolerance = lastTolerance();

// n! divided by the factorials of the multiplicities of equal ratios, saturating.
std::uint64_t distinctOrderings(const std::vector<float> &ratios)
{
    std::vector<std::pair<float, std::uint64_t>> multiplicities;
    for (float r : ratios) {
        auto it = std::find_if(multiplicities.begin(), multiplicities.end(),
                               [r](const auto &entry) { return entry.first == r; });
        if (it == multiplicities.end())
            multiplicities.emplace_back(r, 1);
        else
            ++it->second;
    }
    unsigned __int128 total = 1;
    std::uint64_t placed = 0;
    for (const auto &[ratio, count] : multiplicities) {
        for (std::uint64_t k = 1; k <= count; ++k) {
            ++placed;
            total = total * placed / k; // stays whole: a running binomial coefficient
            if (total > UINT64_MAX)
                return UINT64_MAX;
        }
    }
    return static_cast<std::uint64_t>(total);
}

float firstFilterThreshold(std::size_t n)
{
    if (n <= 3)
        return 20.0f;
    if (n <= 6)
        return 3.5f;
    return 1.7f;
}

// An ordering as the positions of its ratios among the distinct ratios: two orderings of
// the same ratios are equal exactly when these are, as when their texts are compared.
std::string orderingKey(const std::vector<float> &ordering, const std::vector<float> &distinct,
                        bool backwards)
{
    std::string key;
    for (std::size_t k = 0; k < ordering.size(); ++k) {
        const float ratio = ordering[backwards ? ordering.size() - 1 - k : k];
        key += static_cast<char>(std::find(distinct.begin(), distinct.end(), ratio) -
                                 distinct.begin());
    }
    return key;
}

// Every tree of every ordering is tried when there are few trees per ordering, or few
// orderings (many videos of one format); otherwise only balanced splits, and for more
// videos only some of those.
TreeSpace::Family treeFamily(std::size_t n, std::uint64_t orderingCount)
{
    const std::uint64_t trees = TreeSpace().treeCount(n);
    if (n > kLargestUncapped)
        return TreeSpace::Family::Capped;
    if (trees > kExhaustiveTrees &&
        static_cast<unsigned __int128>(trees) * orderingCount > kExhaustiveWork)
        return TreeSpace::Family::Balanced;
    return TreeSpace::Family::Exhaustive;
}

} // namespace

CandidateSearch::CandidateSearch(const SearchInput &searched, const std::vector<float> &snapped,
                                 float viewTarget, SearchReport &report)
    : input(searched), ratios(snapped), n(snapped.size()), target(viewTarget),
      clampedTarget(std::clamp(viewTarget, 0.5f, 3.5555556f)),
      orderingCount(distinctOrderings(snapped)), quota(120 / orderingCount),
      threshold(firstFilterThreshold(n)), manyRecords(searched.videos.size() >= 5), stats(report),
      family(treeFamily(n, orderingCount)), space(family),
      // The capped family knows every tree's size ratio from its two halves.
      sizeRatioWork(kWorkPerSizeRatio * (family == TreeSpace::Family::Capped ? 1 : n))
{
    stats.bounded = family != TreeSpace::Family::Exhaustive;
    for (float ratio : ratios) {
        if (std::find(distinct.begin(), distinct.end(), ratio) == distinct.end())
            distinct.push_back(ratio);
    }
}

void CandidateSearch::collect()
{
    UniquePermutationsSequence<float> sequence(ratios, n);
    auto permutations = sequence.iterator();
    while (auto ordering = permutations.next()) {
        // An ordering whose reverse was tried mirrors its trees.
        if (n >= 5) {
            if (usedOrderings.count(orderingKey(*ordering, distinct, true)))
                continue;
            usedOrderings.insert(orderingKey(*ordering, distinct, false));
        }
        if (n == 0)
            continue;
        if (n > kAlwaysComplete && !orderings.empty() && space.work() >= kWorkBound) {
            stats.bounded = true;
            break;
        }
        if (!takeOrdering(*ordering))
            break;
    }
    stats.permutationsUsed = permutationsUsed;
    stats.candidates = candidates.size();
    stats.work = space.work();
}

NodePtr CandidateSearch::choose(LayoutCache &cache, LogSink &log, SearchClock::time_point started)
{
    if (candidates.size() == 1)
        return build(candidates.front());
    if (candidates.size() >= 2) {
        const NodePtr result = build(candidates[bestCandidate(log)]);
        log.log(LogLevel::Info,
                formatLog("Returning layout with aspect ratio %f, target aspect ratio %f and "
                          "size ratio %f",
                          double(result->aspectRatio()), double(target),
                          double(result->sizeRatio())));
        if (input.layoutAlgorithm != LayoutAlgorithm::ScreenUsage) {
            const double seconds = double(microsSince(started)) / 1e6;
            log.log(LogLevel::Info,
                    formatLog("Found %ld layouts in %f s. Rejected %ld",
                              static_cast<long>(candidates.size()), seconds, rejected));
            cache.viewConfig = {input.viewWidth, input.viewHeight, ratios, input.layoutAlgorithm};
            cache.lastLayout = result;
        }
        return result;
    }
    if (!bestFit.seen)
        return std::make_shared<ErrorNode>();
    // The best fit of all trees is the first best fit among the orderings' best fits.
    log.log(LogLevel::Info, "Found no great solutions. Resorting to non-ideal solutions.");
    return build({bestFit.ordering, bestFit.index, bestFit.aspect});
}

bool CandidateSearch::takeOrdering(const std::vector<float> &ordering)
{
    const std::size_t orderingIndex = orderings.size();
    orderings.push_back(ordering);
    space.setOrdering(ordering);

    // First filter: good fits go on; the best fit of all is the fallback.
    good.clear();
    space.scan(orderingIndex, target, threshold, bestFit, good);
    if (good.empty())
        return true;
    const float bestGoodAspect = std::min_element(good.begin(), good.end(), fitsBetter)->aspect;
    if (!selectEligible()) {
        ++permutationsUsed; // no pass takes or evaluates anything, yet the ordering was used
        return true;
    }
    // Second filter: near the best fit, within the quota, and sizes not too uneven.
    for (float tolerance = kFirstTolerance;; tolerance += kToleranceStep) {
        if (acceptWithin(orderingIndex, bestGoodAspect, tolerance) > 0 ||
            tolerance > kToleranceLimit)
            break;
    }
    if (candidates.size() >= kEnoughCandidates)
        return false;
    ++permutationsUsed;
    return true;
}

bool CandidateSearch::selectEligible()
{
    eligible.clear();
    for (const RankedTree &tree : good) {
        if (!manyRecords || mismatch(tree.aspect, clampedTarget) <= kLastTolerance)
            eligible.push_back(tree);
    }
    space.addWork(kWorkPerGoodTree * good.size());
    if (eligible.empty())
        return false;
    std::sort(eligible.begin(), eligible.end(), fitsBetter);
    return true;
}

long CandidateSearch::acceptWithin(std::size_t orderingIndex, float bestGoodAspect, float tolerance)
{
    const RankedTree *stop = nullptr;
    for (const RankedTree &tree : good) {
        if (mismatch(tree.aspect, bestGoodAspect) > tolerance + 0.4f &&
            (!stop || fitsBetter(tree, *stop)))
            stop = &tree;
    }
    long accepted = 0;
    for (RankedTree &tree : eligible) {
        if (stop && !fitsBetter(tree, *stop))
            break;
        if (manyRecords) {
            if (!(mismatch(tree.aspect, clampedTarget) <= tolerance))
                continue;
            if ((quota <= 2 && accepted >= 4) ||
                (quota >= 3 && static_cast<std::uint64_t>(accepted) > quota))
                break;
        }
        // A later pass may look at the same tree again; its ratio does not change.
        if (!tree.sizeRatioKnown) {
            space.addWork(sizeRatioWork);
            tree.sizeRatio = space.sizeRatio(tree.index);
            tree.sizeRatioKnown = true;
        }
        if (tree.sizeRatio <= kMaxSizeRatio) {
            candidates.push_back({orderingIndex, tree.index, tree.aspect, tree.sizeRatio});
            ++accepted;
        } else {
            ++rejected;
        }
    }
    return accepted;
}

std::uint64_t CandidateSearch::bestCandidate(LogSink &log) const
{
    std::vector<RankedTree> finalList;
    for (std::uint64_t k = 0; k < candidates.size(); ++k)
        finalList.push_back({k, candidates[k].aspect, closeness(candidates[k].aspect, target),
                             candidates[k].sizeRatio});
    if (input.layoutAlgorithm != LayoutAlgorithm::VideoSizes) {
        sortByCloseness(finalList);
        if (finalList.size() > kBestFitting)
            finalList.resize(kBestFitting);
    }
    log.log(LogLevel::Debug, formatLog("Have %ld candidates", static_cast<long>(finalList.size())));
    if (input.layoutAlgorithm != LayoutAlgorithm::ScreenUsage)
        sortBySizeThenCloseness(finalList);
    return finalList.front().index;
}

NodePtr CandidateSearch::build(const TreeRef &ref)
{
    return space.build(orderings[ref.ordering], ref.index);
}

} // namespace marquetrix::layout
