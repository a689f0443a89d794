#include "treespace.h"

#include "layoutnode.h"
#include "leafnode.h"
#include "splitgeometry.h"

#include <cstring>

namespace marquetrix::layout {

namespace {

constexpr std::size_t kMaxCounted = 64;

std::uint64_t saturating(unsigned __int128 value)
{
    return value > UINT64_MAX ? UINT64_MAX : static_cast<std::uint64_t>(value);
}

} // namespace

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
    if (family == Family::Balanced && count >= 4)
        return {count / 2, (count + 1) / 2};
    const std::size_t m = count < 5 ? 1 : 2;
    return {m, count - m};
}

std::size_t TreeSpace::KeyHash::operator()(const std::vector<std::uint32_t> &key) const
{
    std::size_t hash = key.size();
    for (std::uint32_t bits : key)
        hash = hash * 1000003u ^ bits;
    return hash;
}

TreeSpace::Aspects TreeSpace::trees(const std::vector<float> &ordering)
{
    return compute(ordering.data(), ordering.size());
}

TreeSpace::Aspects TreeSpace::cached(const float *values, std::size_t count)
{
    std::vector<std::uint32_t> key(count);
    std::memcpy(key.data(), values, count * sizeof(float));
    auto found = memo.find(key);
    if (found != memo.end())
        return found->second;
    Aspects made = compute(values, count);
    memo.emplace(std::move(key), made);
    return made;
}

TreeSpace::Aspects TreeSpace::compute(const float *values, std::size_t count)
{
    auto result = std::make_shared<std::vector<float>>();
    std::vector<float> &aspects = *result;
    if (count == 1) {
        aspects.push_back(values[0]);
    } else if (count == 2) {
        aspects.push_back(combinedAspectRatio(values[0], values[1], LayoutDirection::Horizontal));
        aspects.push_back(combinedAspectRatio(values[0], values[1], LayoutDirection::Vertical));
    } else if (count > 2) {
        const auto [low, high] = splitRange(count);
        for (std::size_t i = low; i <= high; ++i) {
            const Aspects left = cached(values, i);
            const Aspects right = cached(values + i, count - i);
            aspects.reserve(aspects.size() + 2 * left->size() * right->size());
            for (float l : *left) {
                for (float r : *right) {
                    aspects.push_back(combinedAspectRatio(l, r, LayoutDirection::Horizontal));
                    aspects.push_back(combinedAspectRatio(l, r, LayoutDirection::Vertical));
                }
            }
        }
    }
    workDone += aspects.size();
    return result;
}

// The tree counts depend on the number of ratios only, so no aspect list is needed to
// find where a tree's index falls.
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

void TreeSpace::distribute(const float *values, std::size_t count, std::uint64_t index, float share,
                           std::vector<float> &shares)
{
    if (count == 1) {
        shares.push_back(share);
        return;
    }
    const Split split = decode(count, index);
    const float a1 = (*cached(values, split.at))[split.left];
    const float a2 = (*cached(values + split.at, count - split.at))[split.right];
    const ChildFractions fractions = childFractions(a1, a2, split.direction);
    distribute(values, split.at, split.left, fractions.first * share, shares);
    distribute(values + split.at, count - split.at, split.right, fractions.second * share, shares);
}

std::vector<float> TreeSpace::leafShares(const std::vector<float> &ordering, std::uint64_t index)
{
    std::vector<float> shares;
    shares.reserve(ordering.size());
    if (ordering.size() == 1)
        shares.push_back(1.0f);
    else
        distribute(ordering.data(), ordering.size(), index, 1.0f, shares);
    return shares;
}

float TreeSpace::sizeRatio(const std::vector<float> &ordering, std::uint64_t index)
{
    return shareRatio(leafShares(ordering, index));
}

NodePtr TreeSpace::buildNode(const float *values, std::size_t count, std::uint64_t index)
{
    if (count == 1)
        return std::make_shared<LeafNode>(values[0], 1.0f);
    const Split split = decode(count, index);
    return std::make_shared<LayoutNode>(buildNode(values, split.at, split.left),
                                        buildNode(values + split.at, count - split.at, split.right),
                                        split.direction);
}

NodePtr TreeSpace::build(const std::vector<float> &ordering, std::uint64_t index)
{
    NodePtr root = buildNode(ordering.data(), ordering.size(), index);
    root->distributeSize(1.0f);
    return root;
}

} // namespace marquetrix::layout
