#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace marquetrix {

// Turns the timestamps libavformat reports for a live RTP session into ones the MPEG-TS
// muxer accepts and libVLC plays in sync:
// - packets that arrive before their stream's first timestamp are held, not dropped (the
//   first keyframe is often among them), until a few timestamped ones show where they
//   belong: just before the earliest of those, one frame interval apart;
// - every stream is anchored to the arrival time of its first timestamped packet, and
//   anchored again when its timeline jumps away from the arrival clock, because the
//   audio and video timelines of one session can be seconds apart and jump once the
//   first RTCP sender report arrives;
// - RTP carries no decoding time, so one is derived: strictly increasing per stream and
//   never after the presentation time (streams with reordered frames get a fixed lead).
// All times are in ticks of the MPEG-TS clock (90 kHz), so that a derived decoding time
// one tick apart stays apart in the muxer.
class RtspTimeline
{
public:
    struct Stamp
    {
        int64_t pts = 0;
        int64_t dts = 0;
    };

    static constexpr int64_t ticksPerSecond = 90'000;

    // reorderLead: how far decoding runs ahead of presentation for this stream
    // (enough for the B-frames of common live encoders; 0 for audio).
    int addStream(int64_t reorderLead);

    // Call once per packet, in arrival order. Returns the stamps of the packets of this
    // stream that are now ready, oldest first: nothing while packets are held, otherwise
    // the held packets followed by this one.
    std::vector<Stamp> push(int stream, std::optional<int64_t> pts, int64_t arrival);

    // Where the output clock starts, so that leads never make a time negative.
    static constexpr int64_t startOffset = ticksPerSecond;
    // A stream whose timestamps drift further than this from the arrival clock is anchored
    // again: network jitter stays well below it, timeline jumps are far above.
    static constexpr int64_t maxDrift = ticksPerSecond;
    // Timestamped packets that decide where held ones belong: enough to see past the
    // B-frames of common encoders.
    static constexpr size_t placingWindow = 4;
    // Held packets are released after this many even without a timestamp.
    static constexpr size_t maxHeld = 64;

private:
    struct Stream
    {
        int64_t reorderLead = 0;
        std::optional<int64_t> anchorPts;
        int64_t anchorOut = 0;
        std::optional<int64_t> lastDts;
        struct Held
        {
            std::optional<int64_t> pts;
            int64_t arrival = 0;
        };
        std::vector<Held> held;
        size_t heldTimestamped = 0;
        // Holding happens once, at the start of the stream.
        bool started = false;
    };

    std::vector<Stamp> release(Stream &stream);
    static bool drifted(const Stream &stream, int64_t pts, int64_t arrival);
    void anchor(Stream &stream, int64_t pts, int64_t arrival);
    Stamp stamp(Stream &stream, int64_t pts);

    std::vector<Stream> m_streams;
    std::optional<int64_t> m_epoch;
};

} // namespace marquetrix
