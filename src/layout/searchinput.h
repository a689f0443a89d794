#pragma once

#include "layoutalgorithm.h"
#include "node.h"
#include "viewconfiguration.h"

#include <cstdint>
#include <string>
#include <vector>

namespace marquetrix::layout {

// What the search needs of one record of the window's list.
struct VideoInput
{
    bool isClosed = false;
    float overriddenAR = 0.0f;
    std::int64_t width = 16;
    std::int64_t height = 9;
    std::string title; // for the log only
};

// Every record of the window's list in order (closed ones included: some rules count
// records, others only open videos), the layout area and the objective.
struct SearchInput
{
    std::vector<VideoInput> videos;
    float viewWidth = 0.0f;
    float viewHeight = 0.0f;
    LayoutAlgorithm layoutAlgorithm = LayoutAlgorithm::Balanced;
};

// The window's cache slot: written together, only by the search.
struct LayoutCache
{
    ViewConfiguration viewConfig;
    NodePtr lastLayout;
};

} // namespace marquetrix::layout
