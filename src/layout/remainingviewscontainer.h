#pragma once

#include "logsink.h"
#include "searchinput.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace marquetrix::layout {

// The videos not yet placed during one placement, in list order. Leaves take from it in
// depth-first order, so videos of equal ratio fill that ratio's leaves in list order.
class RemainingViewsContainer
{
public:
    explicit RemainingViewsContainer(const std::vector<VideoInput> &videos);

    // The position in the list of the video for a leaf of this ratio, now taken; nothing
    // ("No video metadata found") when no open video is left.
    //
    // A video matches by its own ratio within 0.05. Failing that, by its snapped ratio,
    // and failing that any open video is taken: the tree has one leaf per open video, so
    // this way every open video is shown, also one whose ratio lies far from its snapped
    // one (2.40 to 2.42) or is not a number, or one whose leaf a near ratio took first.
    std::optional<std::size_t> takeView(float aspectRatio, LogSink &log);

private:
    const std::vector<VideoInput> &videos;
    std::vector<std::size_t> remainingViews;
};

} // namespace marquetrix::layout
