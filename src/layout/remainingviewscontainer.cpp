#include "remainingviewscontainer.h"

#include "ratiorules.h"

#include <cmath>

namespace marquetrix::layout {

RemainingViewsContainer::RemainingViewsContainer(const std::vector<VideoInput> &videos_)
    : videos(videos_)
{
    for (std::size_t k = 0; k < videos.size(); ++k)
        remainingViews.push_back(k);
}

std::optional<std::size_t> RemainingViewsContainer::takeView(float aspectRatio, LogSink &log)
{
    const auto take = [&](auto matches, bool logSkips) -> std::optional<std::size_t> {
        for (auto it = remainingViews.begin(); it != remainingViews.end(); ++it) {
            const VideoInput &video = videos[*it];
            if (video.isClosed) {
                if (logSkips)
                    log.log(LogLevel::Debug, formatLog("Skipping view %s", video.title.c_str()));
                continue;
            }
            if (matches(effectiveAspectRatio(video.overriddenAR, video.width, video.height))) {
                const std::size_t taken = *it;
                remainingViews.erase(it);
                return taken;
            }
        }
        return std::nullopt;
    };

    if (auto own = take([&](float r) { return std::fabs(r - aspectRatio) < kSnapTolerance; }, true))
        return own;
    if (auto snapped = take(
            [&](float r) { return std::fabs(snapAspectRatio(r) - aspectRatio) < kSnapTolerance; },
            false))
        return snapped;
    return take([](float) { return true; }, false);
}

} // namespace marquetrix::layout
