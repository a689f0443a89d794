#include "rtsptimeline.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace marquetrix {

namespace {

// Used for held packets when the stream gives too few timestamps to measure it: 25 fps.
constexpr int64_t defaultFrameInterval = RtspTimeline::ticksPerSecond / 25;

} // namespace

int RtspTimeline::addStream(int64_t reorderLead)
{
    Stream stream;
    stream.reorderLead = reorderLead;
    m_streams.push_back(std::move(stream));
    return static_cast<int>(m_streams.size()) - 1;
}

std::vector<RtspTimeline::Stamp> RtspTimeline::push(int index, std::optional<int64_t> pts,
                                                    int64_t arrival)
{
    if (index < 0 || index >= static_cast<int>(m_streams.size()))
        return {};
    Stream &stream = m_streams[static_cast<size_t>(index)];
    if (!m_epoch)
        m_epoch = arrival;
    const int64_t arrivalOut = startOffset + arrival - *m_epoch;

    if (!stream.started && (!pts || !stream.held.empty())) {
        stream.held.push_back({pts, arrivalOut});
        stream.heldTimestamped += pts ? 1 : 0;
        if (stream.heldTimestamped < placingWindow && stream.held.size() < maxHeld)
            return {};
        return release(stream);
    }

    stream.started = true;
    if (pts) {
        if (!stream.anchorPts || drifted(stream, *pts, arrivalOut))
            anchor(stream, *pts, arrivalOut);
    }
    // A packet without a timestamp in the middle of a stream: its arrival time is the best
    // guess, and the monotonic decoding time keeps the muxer's order intact.
    return {stamp(stream, pts ? stream.anchorOut + *pts - *stream.anchorPts : arrivalOut)};
}

bool RtspTimeline::drifted(const Stream &stream, int64_t pts, int64_t arrival)
{
    return std::llabs(stream.anchorOut + pts - *stream.anchorPts - arrival) > maxDrift;
}

void RtspTimeline::anchor(Stream &stream, int64_t pts, int64_t arrival)
{
    stream.anchorPts = pts;
    stream.anchorOut = arrival;
}

std::vector<RtspTimeline::Stamp> RtspTimeline::release(Stream &stream)
{
    // A timeline that jumps while packets are held (the first sender report often comes
    // then) is anchored again, as it is for packets that are not held.
    std::vector<std::optional<int64_t>> shown(stream.held.size());
    std::optional<int64_t> earliest;
    std::vector<int64_t> seen;
    for (size_t i = 0; i < stream.held.size(); ++i) {
        const Stream::Held &held = stream.held[i];
        if (!held.pts)
            continue;
        seen.push_back(*held.pts);
        if (!stream.anchorPts || drifted(stream, *held.pts, held.arrival))
            anchor(stream, *held.pts, held.arrival);
        shown[i] = stream.anchorOut + *held.pts - *stream.anchorPts;
        earliest = std::min(earliest.value_or(*shown[i]), *shown[i]);
    }

    std::sort(seen.begin(), seen.end());
    int64_t interval = defaultFrameInterval;
    for (size_t i = 1; i < seen.size(); ++i) {
        if (seen[i] > seen[i - 1])
            interval = std::min(interval, seen[i] - seen[i - 1]);
    }

    const auto leading = static_cast<int64_t>(
        std::find_if(stream.held.begin(), stream.held.end(), [](const auto &h) { return h.pts; }) -
        stream.held.begin());
    std::vector<Stamp> ready;
    ready.reserve(stream.held.size());
    for (size_t i = 0; i < stream.held.size(); ++i) {
        int64_t out = stream.held[i].arrival;
        if (shown[i]) {
            out = *shown[i];
        } else if (earliest && static_cast<int64_t>(i) < leading) {
            // Decoded first, so shown first: just before everything timestamped so far.
            out = *earliest - (leading - static_cast<int64_t>(i)) * interval;
        }
        ready.push_back(stamp(stream, out));
    }
    stream.held.clear();
    stream.heldTimestamped = 0;
    stream.started = true;
    return ready;
}

RtspTimeline::Stamp RtspTimeline::stamp(Stream &stream, int64_t pts)
{
    int64_t dts = pts - stream.reorderLead;
    if (stream.lastDts)
        dts = std::max(dts, *stream.lastDts + 1);
    stream.lastDts = dts;
    return Stamp{.pts = std::max(pts, dts), .dts = dts};
}

} // namespace marquetrix
