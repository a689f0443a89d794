#pragma once

#include "layoutalgorithm.h"

#include <vector>

namespace marquetrix::layout {

// The inputs of one layout search, kept beside the tree found for them. Two
// configurations are the same only when every field is equal, floats compared exactly
// and ratio lists element by element in order.
struct ViewConfiguration
{
    float viewWidth = 0.0f;
    float viewHeight = 0.0f;
    std::vector<float> aspectRatios;
    LayoutAlgorithm layoutAlgorithm = LayoutAlgorithm::Balanced;

    bool operator==(const ViewConfiguration &) const = default;
};

} // namespace marquetrix::layout
