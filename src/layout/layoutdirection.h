#pragma once

namespace marquetrix::layout {

// How an inner node places its two children.
enum class LayoutDirection
{
    Horizontal = 0, // side by side, sharing the node's height
    Vertical = 1,   // one above the other, sharing the node's width
};

} // namespace marquetrix::layout
