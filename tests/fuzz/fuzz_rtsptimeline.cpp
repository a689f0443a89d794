// The RTSP timestamp repair on arbitrary packet sequences: a few streams, packets with or without
// a timestamp (within what libavformat reports: about ±380 years of the 90 kHz clock) in order.

#include "fuzzcheck.h"
#include "rtsptimeline.h"

#include <deque>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <vector>

using marquetrix::RtspTimeline;
using marquetrix::fuzz::check;

constexpr int64_t maxTimestamp = int64_t{1} << 40;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    RtspTimeline timeline;
    // Per stream: where each packet not yet released arrived, when it has a timestamp, and
    // the last decoding time released.
    const auto count = input.ConsumeIntegralInRange<size_t>(1, 4);
    std::vector<std::deque<std::optional<int64_t>>> arrivals(count);
    std::vector<std::optional<int64_t>> lastDts(count);
    for (size_t i = 0; i < count; ++i)
        timeline.addStream(input.ConsumeIntegralInRange<int64_t>(0, RtspTimeline::ticksPerSecond));
    int64_t arrival = input.ConsumeIntegralInRange<int64_t>(-maxTimestamp, maxTimestamp);
    std::optional<int64_t> epoch;
    while (input.remaining_bytes() > 0) {
        const auto index = input.ConsumeIntegralInRange<size_t>(0, count - 1);
        std::optional<int64_t> pts;
        if (input.ConsumeBool())
            pts = input.ConsumeIntegralInRange<int64_t>(-maxTimestamp, maxTimestamp);
        arrival += input.ConsumeIntegralInRange<int64_t>(0, 10 * RtspTimeline::ticksPerSecond);
        epoch = epoch.value_or(arrival);
        auto &held = arrivals[index];
        held.push_back(pts ? std::optional(RtspTimeline::startOffset + arrival - *epoch)
                           : std::nullopt);
        for (const RtspTimeline::Stamp &stamp : timeline.push(int(index), pts, arrival)) {
            check(!lastDts[index] || stamp.dts > *lastDts[index],
                  "a stream's decoding time does not increase");
            check(stamp.pts >= stamp.dts, "a packet is shown before it is decoded");
            check(!held.empty(), "more packets released than pushed");
            // The drift that anchors again, both ways, plus the decoding lead.
            const std::optional<int64_t> arrived = held.front();
            check(!arrived || std::llabs(stamp.pts - *arrived) <=
                                  2 * RtspTimeline::maxDrift + RtspTimeline::ticksPerSecond,
                  "a timestamped packet is shown far from when it arrived");
            held.pop_front();
            lastDts[index] = stamp.dts;
        }
        check(held.size() <= RtspTimeline::maxHeld, "more packets held than the bound");
    }
    check(timeline.push(int(count), 0, arrival).empty(), "an unknown stream released packets");
    return 0;
}
