#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marquetrix::layout {

// What a tile dropped on another tile may do.
struct LeafDropVideo
{
    std::string id; // the 36-character upper-case text form
    std::int64_t width;
    std::int64_t height;
};

struct SwapDecision
{
    enum class Outcome
    {
        Refused,      // not a tile of this list, or dropped on itself
        Swap,         // swap the entries at source and target
        RatiosDiffer, // refused: the user is told only equal ratios swap
    };
    Outcome outcome = Outcome::Refused;
    std::size_t source = 0;
    std::size_t target = 0;
};

// Decides a drop of the text `payload` on the tile of the video `targetId`. Only the
// picture sizes are compared (a crop does not count): within 0.05 the two swap.
SwapDecision decideLeafDrop(const std::vector<LeafDropVideo> &videos, std::string_view payload,
                            std::string_view targetId);

} // namespace marquetrix::layout
