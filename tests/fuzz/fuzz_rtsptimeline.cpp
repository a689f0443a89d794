// The RTSP timestamp repair on arbitrary packet sequences: a few streams, then packets with
// or without a timestamp, arriving in order. Timestamps stay within what libavformat can
// report for a session (about ±380 years of the 90 kHz clock).

#include "rtsptimeline.h"
#include "fuzzcheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <vector>

using namespace marquetrix;

using marquetrix::fuzz::check;

namespace {

constexpr int64_t maxTimestamp = int64_t{1} << 40;

// How far a timestamped packet may be shown from its arrival: the drift that anchors again,
// both ways (a late packet after an early one keeps its decoding time after the early one's),
// plus the decoding lead.
constexpr int64_t maxDistanceFromArrival =
    2 * RtspTimeline::maxDrift + RtspTimeline::ticksPerSecond;

struct StreamRecord
{
    // Where each packet not yet released arrived, when it has a timestamp.
    std::deque<std::optional<int64_t>> arrivals;
    std::optional<int64_t> lastDts;
    size_t pushed = 0;
    size_t released = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    RtspTimeline timeline;
    std::vector<StreamRecord> streams(input.ConsumeIntegralInRange<size_t>(1, 4));
    for (size_t i = 0; i < streams.size(); ++i)
        timeline.addStream(input.ConsumeIntegralInRange<int64_t>(0, RtspTimeline::ticksPerSecond));

    int64_t arrival = input.ConsumeIntegralInRange<int64_t>(-maxTimestamp, maxTimestamp);
    std::optional<int64_t> epoch;
    while (input.remaining_bytes() > 0) {
        const auto index = input.ConsumeIntegralInRange<size_t>(0, streams.size() - 1);
        std::optional<int64_t> pts;
        if (input.ConsumeBool())
            pts = input.ConsumeIntegralInRange<int64_t>(-maxTimestamp, maxTimestamp);
        arrival += input.ConsumeIntegralInRange<int64_t>(0, 10 * RtspTimeline::ticksPerSecond);

        if (!epoch)
            epoch = arrival;
        StreamRecord &stream = streams[index];
        ++stream.pushed;
        stream.arrivals.push_back(pts ? std::optional(RtspTimeline::startOffset + arrival - *epoch)
                                      : std::nullopt);
        for (const RtspTimeline::Stamp &stamp :
             timeline.push(static_cast<int>(index), pts, arrival)) {
            check(!stream.lastDts || stamp.dts > *stream.lastDts,
                  "a stream's decoding time does not increase");
            check(stamp.pts >= stamp.dts, "a packet is shown before it is decoded");
            const std::optional<int64_t> arrived = stream.arrivals.front();
            check(!arrived || std::llabs(stamp.pts - *arrived) <= maxDistanceFromArrival,
                  "a timestamped packet is shown far from when it arrived");
            stream.arrivals.pop_front();
            stream.lastDts = stamp.dts;
            ++stream.released;
        }
        check(stream.released <= stream.pushed, "more packets released than pushed");
        check(stream.pushed - stream.released <= RtspTimeline::maxHeld,
              "more packets held than the bound");
    }
    // A stream index the timeline does not know is ignored.
    check(timeline.push(static_cast<int>(streams.size()), 0, arrival).empty(),
          "an unknown stream released packets");
    return 0;
}
