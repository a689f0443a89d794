#include "layoutsearch.h"

#include "candidatesearch.h"
#include "ratiorules.h"

namespace marquetrix::layout {

std::vector<float> snappedAspectRatios(const SearchInput &input)
{
    std::vector<float> ratios;
    for (const VideoInput &video : input.videos) {
        if (!video.isClosed)
            ratios.push_back(snapAspectRatio(
                effectiveAspectRatio(video.overriddenAR, video.width, video.height)));
    }
    return ratios;
}

bool isCacheValid(const LayoutCache &cache, const SearchInput &input,
                  const std::vector<float> &aspectRatios)
{
    return cache.lastLayout &&
           cache.viewConfig == ViewConfiguration{input.viewWidth, input.viewHeight, aspectRatios,
                                                 input.layoutAlgorithm};
}

NodePtr pickFallback(const std::vector<NodePtr> &trees, float target)
{
    std::vector<float> aspects;
    for (const NodePtr &tree : trees)
        aspects.push_back(tree->aspectRatio());
    return trees.empty() ? nullptr : trees[bestFitIndex(aspects, target)];
}

NodePtr findLayout(const SearchInput &input, LayoutCache &cache, LogSink &log, SearchReport *report)
{
    SearchReport localReport;
    SearchReport &stats = report ? *report : localReport;
    stats = SearchReport{};
    const SearchClock::time_point started = SearchClock::now();

    const std::vector<float> ratios = snappedAspectRatios(input);
    if (isCacheValid(cache, input, ratios)) {
        log.log(LogLevel::Info, "Using cached view");
        stats.cached = true;
        stats.micros = microsSince(started);
        return cache.lastLayout;
    }
    const float target = input.viewWidth / input.viewHeight;
    log.log(LogLevel::Info, formatLog("Target aspect ratio: %f (%fx%f)", double(target),
                                      double(input.viewWidth), double(input.viewHeight)));

    CandidateSearch search(input, ratios, target, stats);
    search.collect();
    log.log(LogLevel::Info,
            formatLog("Layout: p=%ld, l=%ld", static_cast<long>(stats.permutationsUsed),
                      static_cast<long>(stats.candidates)));
    const NodePtr result = search.choose(cache, log, started);
    stats.micros = microsSince(started);
    return result;
}

} // namespace marquetrix::layout
