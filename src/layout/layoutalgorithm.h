#pragma once

namespace marquetrix::layout {

// The user's layout objective, persisted as its integer value.
enum class LayoutAlgorithm
{
    ScreenUsage = 0, // the candidate that fits the window best
    Balanced = 1,    // among the best-fitting candidates, the most uniform sizes
    VideoSizes = 2,  // among all candidates, the most uniform sizes
};

// A stored value other than 0, 1 or 2 (or none at all) reads as Balanced.
constexpr LayoutAlgorithm layoutAlgorithmFromStored(int stored)
{
    switch (stored) {
    case 0:
        return LayoutAlgorithm::ScreenUsage;
    case 2:
        return LayoutAlgorithm::VideoSizes;
    default:
        return LayoutAlgorithm::Balanced;
    }
}

constexpr int storedValue(LayoutAlgorithm algorithm)
{
    return static_cast<int>(algorithm);
}

} // namespace marquetrix::layout
