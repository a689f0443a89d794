#include "leafdrop.h"

#include <cmath>

namespace marquetrix::layout {

SwapDecision decideLeafDrop(const std::vector<LeafDropVideo> &videos, std::string_view payload,
                            std::string_view targetId)
{
    std::optional<std::size_t> source;
    std::optional<std::size_t> target;
    for (std::size_t k = 0; k < videos.size(); ++k) {
        // A tile dropped on itself is found as the source only, and so refused.
        if (videos[k].id == payload)
            source = k;
        else if (videos[k].id == targetId)
            target = k;
    }
    if (!source || !target)
        return {};
    const auto ratio = [](const LeafDropVideo &video) {
        return static_cast<float>(video.width) / static_cast<float>(video.height);
    };
    if (std::fabs(ratio(videos[*target]) - ratio(videos[*source])) <= 0.05f)
        return {SwapDecision::Outcome::Swap, *source, *target};
    return {SwapDecision::Outcome::RatiosDiffer, *source, *target};
}

} // namespace marquetrix::layout
