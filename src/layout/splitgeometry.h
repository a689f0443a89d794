#pragma once

#include "layoutdirection.h"

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

// Largest share divided by the smallest; 1.0 for fewer than two shares.
inline float shareRatio(const std::vector<float> &shares)
{
    if (shares.size() <= 1)
        return 1.0f;
    float largest = shares.front();
    float smallest = shares.front();
    for (float s : shares) {
        if (largest < s)
            largest = s;
        if (s < smallest)
            smallest = s;
    }
    return largest / smallest;
}

} // namespace marquetrix::layout
