#include "treespace.h"

#include "layoutnode.h"
#include "leafnode.h"
#include "ratiorules.h"
#include "splitgeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace marquetrix::layout {

namespace {

constexpr std::size_t kMaxCounted = 64;

// Relative margin around bounds computed in 32-bit arithmetic: far wider than the few
// units of rounding they may be off by, so a run is only passed over when none of its
// trees can matter.
constexpr float kSlack = 1e-5f;

std::uint64_t saturating(unsigned __int128 value)
{
    return value > UINT64_MAX ? UINT64_MAX : static_cast<std::uint64_t>(value);
}

bool overlaps(float low, float high, float windowLow, float windowHigh)
{
    return !(high < windowLow || low > windowHigh);
}

} // namespace

std::size_t TreeSpace::KeyHash::operator()(const std::vector<std::uint32_t> &key) const
{
    std::size_t hash = key.size();
    for (std::uint32_t bits : key)
        hash = hash * 1000003u ^ bits;
    return hash;
}

TreeSpace::TreeSpace(Family family_) : family(family_), counts{0, 1, 2}
{
    for (std::size_t k = 3; k <= kMaxCounted; ++k) {
        unsigned __int128 total = 0;
        const auto [low, high] = splitRange(k);
        for (std::size_t i = low; i <= high; ++i)
            total += static_cast<unsigned __int128>(2) * counts[i] * counts[k - i];
        counts.push_back(saturating(total));
    }
}

std::uint64_t TreeSpace::treeCount(std::size_t count) const
{
    return count < counts.size() ? counts[count] : UINT64_MAX;
}

// From five ratios up a split leaves at least two on each side; the balanced family
// splits runs of four or more only in the middle.
std::pair<std::size_t, std::size_t> TreeSpace::splitRange(std::size_t count) const
{
    if (family != Family::Exhaustive && count >= 4)
        return {count / 2, (count + 1) / 2};
    const std::size_t m = count < 5 ? 1 : 2;
    return {m, count - m};
}

// The tree counts depend on the number of ratios only, so no ratio is needed to find
// where a tree's index falls.
TreeSpace::Split TreeSpace::decode(std::size_t count, std::uint64_t index) const
{
    const auto [low, high] = splitRange(count);
    std::uint64_t local = index;
    std::size_t at = low;
    for (; at < high; ++at) {
        const std::uint64_t inSplit = 2 * treeCount(at) * treeCount(count - at);
        if (local < inSplit)
            break;
        local -= inSplit;
    }
    const std::uint64_t rightCount = treeCount(count - at);
    const std::uint64_t pair = local / 2;
    return {at, pair / rightCount, pair % rightCount,
            local % 2 == 0 ? LayoutDirection::Horizontal : LayoutDirection::Vertical};
}

// In the capped family how many trees a half keeps depends on its ratios: `halves` gives
// the kept counts of the left and right half for a split point.
template <typename Halves>
TreeSpace::Split TreeSpace::decodeCombination(std::size_t count, std::uint64_t combination,
                                              Halves halves) const
{
    const auto [low, high] = splitRange(count);
    std::uint64_t local = combination;
    std::size_t at = low;
    std::uint64_t rightCount = 1;
    for (;; ++at) {
        const auto [leftCount, rightKept] = halves(at);
        rightCount = rightKept;
        if (at == high || local < 2 * leftCount * rightCount)
            break;
        local -= 2 * leftCount * rightCount;
    }
    const std::uint64_t pair = local / 2;
    return {at, pair / rightCount, pair % rightCount,
            local % 2 == 0 ? LayoutDirection::Horizontal : LayoutDirection::Vertical};
}

// `index` is a kept tree's place in its sub-ordering's list when `kept`, otherwise a
// tree of the whole ordering (which keeps all its combinations, as they are only scanned).
TreeSpace::Split TreeSpace::splitOf(const float *values, std::size_t count, std::uint64_t index,
                                    bool kept)
{
    if (family != Family::Capped)
        return decode(count, index);
    const std::uint64_t combination =
        kept ? interval(values, count)->kept[index].combination : index;
    return decodeCombination(count, combination, [&](std::size_t at) {
        return std::pair<std::uint64_t, std::uint64_t>{
            interval(values, at)->aspects.size(),
            interval(values + at, count - at)->aspects.size()};
    });
}

TreeSpace::IntervalPtr TreeSpace::interval(const float *values, std::size_t count)
{
    scratchKey.resize(count);
    std::memcpy(scratchKey.data(), values, count * sizeof(float));
    if (auto found = memo.find(scratchKey); found != memo.end())
        return found->second;
    std::vector<std::uint32_t> key = scratchKey; // the recursion below reuses the scratch key

    auto made = std::make_shared<Interval>();
    std::vector<float> &aspects = made->aspects;
    if (family == Family::Capped) {
        combineCapped(values, count, *made);
    } else if (count == 1) {
        aspects.push_back(values[0]);
    } else if (count == 2) {
        aspects.push_back(combinedAspectRatio(values[0], values[1], LayoutDirection::Horizontal));
        aspects.push_back(combinedAspectRatio(values[0], values[1], LayoutDirection::Vertical));
    } else {
        const auto [low, high] = splitRange(count);
        for (std::size_t i = low; i <= high; ++i) {
            const IntervalPtr left = interval(values, i);
            const IntervalPtr right = interval(values + i, count - i);
            aspects.reserve(aspects.size() + 2 * left->aspects.size() * right->aspects.size());
            for (float l : left->aspects) {
                for (float r : right->aspects) {
                    aspects.push_back(combinedAspectRatio(l, r, LayoutDirection::Horizontal));
                    aspects.push_back(combinedAspectRatio(l, r, LayoutDirection::Vertical));
                }
            }
        }
    }
    const auto [smallest, largest] = std::minmax_element(aspects.begin(), aspects.end());
    made->smallest = *smallest;
    made->largest = *largest;
    if (family != Family::Capped)
        workDone += aspects.size();
    memo.emplace(std::move(key), made);
    return made;
}

// Like the other families, but every tree also carries its leaf share extremes, so that
// a whole tree's size ratio follows from its halves' without walking its leaves.
void TreeSpace::combineCapped(const float *values, std::size_t count, Interval &made)
{
    if (count == 1) {
        made.aspects.push_back(values[0]);
        made.kept.push_back({0, 1.0f, 1.0f});
        ++workDone;
        return;
    }
    const auto [low, high] = splitRange(count);
    for (std::size_t at = low; at <= high; ++at) {
        const IntervalPtr left = interval(values, at);
        const IntervalPtr right = interval(values + at, count - at);
        for (std::size_t li = 0; li < left->aspects.size(); ++li) {
            const float l = left->aspects[li];
            const Kept &leftKept = left->kept[li];
            for (std::size_t ri = 0; ri < right->aspects.size(); ++ri) {
                const float r = right->aspects[ri];
                const Kept &rightKept = right->kept[ri];
                for (const LayoutDirection direction :
                     {LayoutDirection::Horizontal, LayoutDirection::Vertical}) {
                    const ChildFractions fractions = childFractions(l, r, direction);
                    made.kept.push_back({static_cast<std::uint32_t>(made.aspects.size()),
                                         std::min(fractions.first * leftKept.smallestShare,
                                                  fractions.second * rightKept.smallestShare),
                                         std::max(fractions.first * leftKept.largestShare,
                                                  fractions.second * rightKept.largestShare)});
                    made.aspects.push_back(combinedAspectRatio(l, r, direction));
                }
            }
        }
    }
    workDone += made.aspects.size();
    keepSome(made.aspects, made.kept);
}

// What the capped family gives up: the range of the combinations' ratios is cut into
// kKeptTrees equal steps on a logarithmic scale, and each step keeps only its tree with
// the most even leaf shares (the first one on ties). A sub-ordering thus still offers
// shapes from its narrowest to its widest, at a coarser grain, and of trees of nearly the
// same shape only the most even one; a tree made of less even halves may have been the
// better whole, and is not found.
void TreeSpace::keepSome(std::vector<float> &aspects, std::vector<Kept> &kept) const
{
    if (aspects.size() <= kKeptTrees)
        return;
    const auto [narrowest, widest] = std::minmax_element(aspects.begin(), aspects.end());
    const float logLow = std::log(*narrowest);
    const float span = std::log(*widest) - logLow;
    const auto unevenness = [&](std::size_t k) {
        return kept[k].largestShare / kept[k].smallestShare;
    };
    constexpr std::size_t kNone = SIZE_MAX;
    std::array<std::size_t, kKeptTrees> chosen;
    chosen.fill(kNone);
    for (std::size_t k = 0; k < aspects.size(); ++k) {
        // Not a number (no span, or ratios out of range) counts as the first step.
        const float step = (std::log(aspects[k]) - logLow) / span * float(kKeptTrees);
        const std::size_t bucket = step >= float(kKeptTrees - 1) ? kKeptTrees - 1
                                   : step >= 0                   ? std::size_t(step)
                                                                 : 0;
        if (chosen[bucket] == kNone || unevenness(k) < unevenness(chosen[bucket]))
            chosen[bucket] = k;
    }
    std::sort(chosen.begin(), chosen.end());
    std::vector<float> keptAspects;
    std::vector<Kept> keptTrees;
    for (std::size_t k : chosen) {
        if (k == kNone)
            break;
        keptAspects.push_back(aspects[k]);
        keptTrees.push_back(kept[k]);
    }
    aspects = std::move(keptAspects);
    kept = std::move(keptTrees);
}

void TreeSpace::setOrdering(const std::vector<float> &ordering)
{
    current = ordering;
    if (family != Family::Capped)
        currentIntervals.assign((current.size() + 1) * (current.size() + 1), nullptr);
}

TreeSpace::IntervalPtr TreeSpace::orderingInterval(std::size_t start, std::size_t count)
{
    // The capped family asks only for the whole ordering's halves, and a table of every
    // part would grow with the square of the number of ratios.
    if (family == Family::Capped)
        return interval(current.data() + start, count);
    IntervalPtr &slot = currentIntervals[start * (current.size() + 1) + count];
    if (!slot)
        slot = interval(current.data() + start, count);
    return slot;
}

void TreeSpace::scan(std::size_t orderingNumber, float t, float threshold, BestFit &best,
                     std::vector<RankedTree> &good)
{
    const float goodLow = t / threshold * (1 - kSlack);
    const float goodHigh = t * threshold * (1 + kSlack);
    float bestLow = 0;
    float bestHigh = 0;
    const auto updateBestWindow = [&] {
        bestLow = t / best.mismatch * (1 - kSlack);
        bestHigh = t * best.mismatch * (1 + kSlack);
    };
    updateBestWindow();

    const auto visit = [&](std::uint64_t index, float a) {
        ++workDone;
        const float m = mismatch(a, t);
        if (m < threshold)
            good.push_back({index, a, closeness(a, t)});
        if (!best.seen)
            best = {orderingNumber, index, a, 1e10f, true};
        if (m < best.mismatch) {
            best = {orderingNumber, index, a, m, true};
            updateBestWindow();
        }
    };
    const auto mayMatter = [&](float low, float high) {
        return !best.seen || overlaps(low, high, goodLow, goodHigh) ||
               overlaps(low, high, bestLow, bestHigh);
    };

    const std::size_t n = current.size();
    if (n == 1) {
        visit(0, current[0]);
        return;
    }
    if (n == 2) {
        visit(0, combinedAspectRatio(current[0], current[1], LayoutDirection::Horizontal));
        visit(1, combinedAspectRatio(current[0], current[1], LayoutDirection::Vertical));
        return;
    }

    // Each left tree meets every right tree side by side and stacked; over the right
    // trees both ratios grow with the right one's, so the row's range follows from the
    // right list's extremes.
    std::uint64_t base = 0;
    const auto [low, high] = splitRange(n);
    for (std::size_t at = low; at <= high; ++at) {
        const IntervalPtr left = orderingInterval(0, at);
        const IntervalPtr right = orderingInterval(at, n - at);
        const std::uint64_t rightCount = right->aspects.size();
        for (std::uint64_t li = 0; li < left->aspects.size(); ++li) {
            ++workDone;
            const float l = left->aspects[li];
            const bool sideBySide =
                mayMatter(combinedAspectRatio(l, right->smallest, LayoutDirection::Horizontal),
                          combinedAspectRatio(l, right->largest, LayoutDirection::Horizontal));
            const bool stacked = mayMatter(
                combinedAspectRatio(l, right->smallest, LayoutDirection::Vertical) * (1 - kSlack),
                combinedAspectRatio(l, right->largest, LayoutDirection::Vertical) * (1 + kSlack));
            if (!sideBySide && !stacked)
                continue;
            const std::uint64_t row = base + li * rightCount * 2;
            for (std::uint64_t ri = 0; ri < rightCount; ++ri) {
                const float r = right->aspects[ri];
                if (sideBySide)
                    visit(row + 2 * ri, combinedAspectRatio(l, r, LayoutDirection::Horizontal));
                if (stacked)
                    visit(row + 2 * ri + 1, combinedAspectRatio(l, r, LayoutDirection::Vertical));
            }
        }
        base += 2 * left->aspects.size() * rightCount;
    }
}

void TreeSpace::distribute(std::size_t start, std::size_t count, std::uint64_t index, float share,
                           ShareExtremes &extremes)
{
    if (count == 1) {
        extremes.add(share);
        return;
    }
    const Split split = decode(count, index);
    const float a1 = orderingInterval(start, split.at)->aspects[split.left];
    const float a2 = orderingInterval(start + split.at, count - split.at)->aspects[split.right];
    const ChildFractions fractions = childFractions(a1, a2, split.direction);
    distribute(start, split.at, split.left, fractions.first * share, extremes);
    distribute(start + split.at, count - split.at, split.right, fractions.second * share, extremes);
}

float TreeSpace::sizeRatio(std::uint64_t index)
{
    const std::size_t n = current.size();
    if (n <= 1)
        return 1.0f;
    if (family == Family::Capped) {
        const Split split = decodeCombination(n, index, [&](std::size_t at) {
            return std::pair<std::uint64_t, std::uint64_t>{
                orderingInterval(0, at)->aspects.size(),
                orderingInterval(at, n - at)->aspects.size()};
        });
        const Interval &left = *orderingInterval(0, split.at);
        const Interval &right = *orderingInterval(split.at, n - split.at);
        const Kept &l = left.kept[split.left];
        const Kept &r = right.kept[split.right];
        const ChildFractions fractions =
            childFractions(left.aspects[split.left], right.aspects[split.right], split.direction);
        return std::max(fractions.first * l.largestShare, fractions.second * r.largestShare) /
               std::min(fractions.first * l.smallestShare, fractions.second * r.smallestShare);
    }
    ShareExtremes extremes;
    distribute(0, current.size(), index, 1.0f, extremes);
    return extremes.ratio();
}

NodePtr TreeSpace::buildNode(const float *values, std::size_t count, std::uint64_t index, bool kept)
{
    if (count == 1)
        return std::make_shared<LeafNode>(values[0], 1.0f);
    const Split split = splitOf(values, count, index, kept);
    return std::make_shared<LayoutNode>(
        buildNode(values, split.at, split.left, true),
        buildNode(values + split.at, count - split.at, split.right, true), split.direction);
}

NodePtr TreeSpace::build(const std::vector<float> &ordering, std::uint64_t index)
{
    NodePtr root = buildNode(ordering.data(), ordering.size(), index, false);
    root->distributeSize(1.0f);
    return root;
}

} // namespace marquetrix::layout
