#pragma once

#include "logsink.h"
#include "node.h"
#include "searchinput.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace marquetrix::layout {

struct BoxSize
{
    float width;
    float height;
};

// One leaf of a placed tree, in leaf order (depth first, first child before second).
struct TilePlacement
{
    std::optional<std::size_t> video; // position in the list; none leaves the leaf empty
    float aspectRatio;
    float share;
    float x;
    float y;
    float width;
    float height;
};

// The root's box: the full height of the area when the layout is narrower than it,
// otherwise its full width.
BoxSize fitLayoutSize(float areaRatio, float layoutRatio, float viewWidth, float viewHeight);

// Fits the tree's box into the area, centres it, and gives every leaf a tile with the
// leaf's ratio and its share of the box's area (the tiles of a distributed tree fill the
// box exactly) and the next matching video. Children of a side-by-side split are centred
// vertically, those of a stacked split horizontally. A leaf for which no video is left is
// logged and takes no room. An ErrorNode places nothing.
std::vector<TilePlacement> placeTiles(const NodePtr &tree, const std::vector<VideoInput> &videos,
                                      float viewWidth, float viewHeight, LogSink &log);

} // namespace marquetrix::layout
