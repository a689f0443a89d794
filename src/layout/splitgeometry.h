#pragma once

#include "layoutdirection.h"

#include <cstddef>
#include <vector>

namespace marquetrix::layout {

// The arithmetic of one split, shared by the node classes and the fast search so that
// both produce the very same 32-bit results (the search's tie-breaks depend on them).

inline float combinedAspectRatio(float a1, float a2, LayoutDirection direction)
{
    return direction == LayoutDirection::Horizontal ? a1 + a2 : a1 * a2 / (a1 + a2);
}

struct ChildFractions
{
    float first;
    float second;
};

// Fractions of the node's area: widths follow the ratios side by side, heights their
// reciprocals when stacked.
inline ChildFractions childFractions(float a1, float a2, LayoutDirection direction)
{
    const float s = a1 + a2;
    if (direction == LayoutDirection::Horizontal)
        return {a1 / s, a2 / s};
    return {a2 / s, a1 / s};
}

// Largest share divided by the smallest, taken in leaf order; 1.0 for fewer than two.
class ShareExtremes
{
public:
    void add(float share)
    {
        if (count++ == 0) {
            largest = smallest = share;
            return;
        }
        if (largest < share)
            largest = share;
        if (share < smallest)
            smallest = share;
    }
    float ratio() const { return count > 1 ? largest / smallest : 1.0f; }

private:
    std::size_t count = 0;
    float largest = 0.0f;
    float smallest = 0.0f;
};

inline float shareRatio(const std::vector<float> &shares)
{
    ShareExtremes extremes;
    for (float share : shares)
        extremes.add(share);
    return extremes.ratio();
}

} // namespace marquetrix::layout
