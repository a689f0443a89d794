#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

namespace marquetrix::layout {

// Steps the positions to the next ordering in lexicographic order. Changes that lie
// entirely behind the first `upperBound` entries do not count as a new ordering.
// Returns false (and leaves the list ascending) once every ordering was produced.
inline bool nextPermutation(std::vector<std::size_t> &a, std::size_t upperBound)
{
    const std::size_t n = a.size();
    if (n < 2)
        return false;
    std::size_t i = n - 1;
    while (true) {
        const std::size_t j1 = i;
        --i;
        if (a[i] < a[j1]) {
            std::size_t j = n - 1;
            while (!(a[j] > a[i]))
                --j;
            std::swap(a[i], a[j]);
            std::reverse(a.begin() + static_cast<std::ptrdiff_t>(j1), a.end());
            if (i < upperBound)
                return true;
            i = n - 1;
            continue;
        }
        if (i == 0) {
            std::reverse(a.begin(), a.end());
            return false;
        }
    }
}

// The orderings of a collection without repeats of equal elements, produced lazily in a
// fixed lexicographic order of positions (the layout search's tie-breaks depend on it).
// Equal elements share one position, so their repeats are never generated.
template <typename Element, typename Hash = std::hash<Element>> class UniquePermutationsSequence
{
public:
    // Lengths in [minLength, maxLength], clamped to 0..n.
    UniquePermutationsSequence(std::vector<Element> elements, std::size_t minLength,
                               std::size_t maxLength)
        : base(std::move(elements))
    {
        std::unordered_map<Element, std::pair<std::size_t, std::size_t>, Hash> firstAndCount;
        std::vector<Element> distinct;
        for (std::size_t position = 0; position < base.size(); ++position) {
            auto [it, inserted] = firstAndCount.try_emplace(base[position], position, 0);
            if (inserted)
                distinct.push_back(base[position]);
            ++it->second.second;
        }
        for (const Element &value : distinct) {
            const auto [first, count] = firstAndCount.at(value);
            indexes.insert(indexes.end(), count, first);
        }
        lowerLength = std::min(minLength, base.size() + 1);
        upperLength = std::min(maxLength + 1, base.size() + 1);
    }

    UniquePermutationsSequence(std::vector<Element> elements, std::size_t length)
        : UniquePermutationsSequence(std::move(elements), length, length)
    {
    }

    class Iterator
    {
    public:
        explicit Iterator(const UniquePermutationsSequence &sequence)
            : base(&sequence.base), indexes(sequence.indexes), lowerLength(sequence.lowerLength),
              upperLength(sequence.upperLength)
        {
        }

        // The next ordering, or nothing once the sequence has ended (and forever after).
        std::optional<std::vector<Element>> next()
        {
            if (lowerLength >= upperLength)
                return std::nullopt;
            if (initial) {
                initial = false;
                return current();
            }
            if (!nextPermutation(indexes, lowerLength)) {
                ++lowerLength;
                if (lowerLength >= upperLength)
                    return std::nullopt;
            }
            return current();
        }

    private:
        std::vector<Element> current() const
        {
            std::vector<Element> result;
            result.reserve(lowerLength);
            for (std::size_t k = 0; k < lowerLength; ++k)
                result.push_back((*base)[indexes[k]]);
            return result;
        }

        const std::vector<Element> *base;
        std::vector<std::size_t> indexes;
        std::size_t lowerLength;
        std::size_t upperLength;
        bool initial = true;
    };

    Iterator iterator() const { return Iterator(*this); }
    const std::vector<Element> &elements() const { return base; }

private:
    std::vector<Element> base;
    std::vector<std::size_t> indexes;
    std::size_t lowerLength = 0;
    std::size_t upperLength = 0;
};

} // namespace marquetrix::layout
