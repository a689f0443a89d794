#include "layoutsearch.h"

#include "errornode.h"
#include "rankedtrees.h"
#include "ratiorules.h"
#include "treespace.h"
#include "uniquepermutationssequence.h"

#include <chrono>
#include <cmath>
#include <string>
#include <unordered_set>

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

// One tree of one ordering: enough to rank it and to build it later.
struct TreeRef
{
    std::size_t ordering;
    std::uint64_t index;
    float aspect;
    float sizeRatio = 1.0f;
};

} // namespace

std::vector<float> snappedAspectRatios(const SearchInput &input)
{
    std::vector<float> ratios;
    for (const VideoInput &video : input.videos) {
        if (!video.isClosed)
            ratios.push_back(snapAspectRatio(
                effectiveAspectRatio(video.overriddenAR, video.width, video.height)));
    }
    return ratios;
}

bool isCacheValid(const LayoutCache &cache, const SearchInput &input,
                  const std::vector<float> &aspectRatios)
{
    return cache.lastLayout &&
           cache.viewConfig == ViewConfiguration{input.viewWidth, input.viewHeight, aspectRatios,
                                                 input.layoutAlgorithm};
}

NodePtr pickFallback(const std::vector<NodePtr> &trees, float target)
{
    std::vector<float> aspects;
    for (const NodePtr &tree : trees)
        aspects.push_back(tree->getAspectRatio());
    return trees.empty() ? nullptr : trees[bestFitIndex(aspects, target)];
}

NodePtr findLayout(const SearchInput &input, LayoutCache &cache, LogSink &log, SearchReport *report)
{
    SearchReport localReport;
    SearchReport &stats = report ? *report : localReport;
    stats = SearchReport{};
    const auto started = std::chrono::steady_clock::now();
    const auto elapsedMicros = [&] {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now() - started)
            .count();
    };

    const std::vector<float> ratios = snappedAspectRatios(input);
    const std::size_t n = ratios.size();
    if (isCacheValid(cache, input, ratios)) {
        log.log(LogLevel::Info, "Using cached view");
        stats.cached = true;
        stats.micros = elapsedMicros();
        return cache.lastLayout;
    }

    const float t = input.viewWidth / input.viewHeight;
    const float tc = std::clamp(t, 0.5f, 3.5555556f);
    log.log(LogLevel::Info, formatLog("Target aspect ratio: %f (%fx%f)", double(t),
                                      double(input.viewWidth), double(input.viewHeight)));

    const std::uint64_t orderingCount = distinctOrderings(ratios);
    const std::uint64_t quota = 120 / orderingCount;
    const float threshold = firstFilterThreshold(n);
    const bool manyRecords = input.videos.size() >= 5;

    // Every tree of every ordering is tried when there are few trees per ordering, or few
    // orderings (many videos of one format); otherwise only balanced splits, and for more
    // videos only some of those.
    const std::uint64_t trees = TreeSpace().treeCount(n);
    const bool capped = n > kLargestUncapped;
    const bool balanced = trees > kExhaustiveTrees &&
                          static_cast<unsigned __int128>(trees) * orderingCount > kExhaustiveWork;
    TreeSpace space(capped     ? TreeSpace::Family::Capped
                    : balanced ? TreeSpace::Family::Balanced
                               : TreeSpace::Family::Exhaustive);
    stats.bounded = balanced || capped;
    // The capped family knows every tree's size ratio from its two halves.
    const std::uint64_t sizeRatioWork = kWorkPerSizeRatio * (capped ? 1 : n);

    std::vector<float> distinct;
    for (float ratio : ratios) {
        if (std::find(distinct.begin(), distinct.end(), ratio) == distinct.end())
            distinct.push_back(ratio);
    }

    std::vector<std::vector<float>> orderings;
    std::vector<TreeRef> candidates;
    TreeSpace::BestFit bestFit;
    std::unordered_set<std::string> usedOrderings;
    std::size_t permutationsUsed = 0;
    long rejected = 0;

    UniquePermutationsSequence<float> sequence(ratios, n);
    auto permutations = sequence.iterator();
    std::vector<RankedTree> good;
    std::vector<RankedTree> eligible;
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
        const std::size_t orderingIndex = orderings.size();
        orderings.push_back(*ordering);
        space.setOrdering(*ordering);

        // First filter: good fits go on; the best fit of all is the fallback.
        good.clear();
        space.scan(orderingIndex, t, threshold, bestFit, good);
        if (good.empty())
            continue;
        // The passes walk the good trees best fit first and stop at the first one too far
        // from the best fit g. With five or more records only trees that fit the clamped
        // target within the tolerance are taken, so only those (at the last tolerance)
        // need ordering; where the walk stops is found among all good trees.
        const RankedTree &bestGood = *std::min_element(good.begin(), good.end(), fitsBetter);
        const float g = bestGood.aspect;
        eligible.clear();
        for (const RankedTree &tree : good) {
            if (!manyRecords || mismatch(tree.aspect, tc) <= kLastTolerance)
                eligible.push_back(tree);
        }
        space.addWork(kWorkPerGoodTree * good.size());
        if (eligible.empty()) {
            ++permutationsUsed; // no pass takes or evaluates anything, yet the ordering was used
            continue;
        }
        std::sort(eligible.begin(), eligible.end(), fitsBetter);

        // Second filter: near the best fit, within the quota, and sizes not too uneven.
        float tolerance = kFirstTolerance;
        while (true) {
            const RankedTree *stop = nullptr;
            for (const RankedTree &tree : good) {
                if (mismatch(tree.aspect, g) > tolerance + 0.4f &&
                    (!stop || fitsBetter(tree, *stop)))
                    stop = &tree;
            }
            long accepted = 0;
            for (RankedTree &tree : eligible) {
                if (stop && !fitsBetter(tree, *stop))
                    break;
                if (manyRecords) {
                    if (!(mismatch(tree.aspect, tc) <= tolerance))
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
            if (accepted > 0 || tolerance > kToleranceLimit)
                break;
            tolerance += kToleranceStep;
        }
        if (candidates.size() >= kEnoughCandidates)
            break;
        ++permutationsUsed;
    }

    stats.permutationsUsed = permutationsUsed;
    stats.candidates = candidates.size();
    stats.work = space.work();
    log.log(LogLevel::Info, formatLog("Layout: p=%ld, l=%ld", static_cast<long>(permutationsUsed),
                                      static_cast<long>(candidates.size())));

    const auto build = [&](const TreeRef &ref) {
        return space.build(orderings[ref.ordering], ref.index);
    };

    NodePtr result;
    if (candidates.size() == 1) {
        result = build(candidates.front());
    } else if (candidates.size() >= 2) {
        std::vector<RankedTree> finalList;
        for (std::uint64_t k = 0; k < candidates.size(); ++k)
            finalList.push_back({k, candidates[k].aspect, closeness(candidates[k].aspect, t),
                                 candidates[k].sizeRatio});
        if (input.layoutAlgorithm != LayoutAlgorithm::VideoSizes) {
            sortByCloseness(finalList);
            if (finalList.size() > kBestFitting)
                finalList.resize(kBestFitting);
        }
        log.log(LogLevel::Debug,
                formatLog("Have %ld candidates", static_cast<long>(finalList.size())));
        if (input.layoutAlgorithm != LayoutAlgorithm::ScreenUsage)
            sortBySizeThenCloseness(finalList);
        result = build(candidates[finalList.front().index]);
        log.log(LogLevel::Info,
                formatLog("Returning layout with aspect ratio %f, target aspect ratio %f and "
                          "size ratio %f",
                          double(result->getAspectRatio()), double(t),
                          double(result->getSizeRatio())));
        if (input.layoutAlgorithm != LayoutAlgorithm::ScreenUsage) {
            const double seconds = double(elapsedMicros()) / 1e6;
            log.log(LogLevel::Info,
                    formatLog("Found %ld layouts in %f s. Rejected %ld",
                              static_cast<long>(candidates.size()), seconds, rejected));
            cache.viewConfig = {input.viewWidth, input.viewHeight, ratios, input.layoutAlgorithm};
            cache.lastLayout = result;
        }
    } else if (!bestFit.seen) {
        result = std::make_shared<ErrorNode>();
    } else {
        // The best fit of all trees is the first best fit among the orderings' best fits.
        log.log(LogLevel::Info, "Found no great solutions. Resorting to non-ideal solutions.");
        result = build({bestFit.ordering, bestFit.index, bestFit.aspect});
    }
    stats.micros = elapsedMicros();
    return result;
}

} // namespace marquetrix::layout
