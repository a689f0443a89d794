#pragma once

#include "rtsptimeline.h"

#include <cstdint>
#include <deque>
#include <vector>

struct AVFormatContext;
struct AVIOContext;
struct AVPacket;

namespace marquetrix {

class RtspByteQueue;

// Copies the packets of an open RTSP input, without decoding them, into an MPEG-TS byte
// stream that libVLC's TS demuxer plays. The stream starts at the first video keyframe
// (before it a decoder could only show garbage) and carries only codecs the TS muxer and
// libVLC both handle; other streams of the session are left out.
class RtspRemuxer
{
public:
    RtspRemuxer(AVFormatContext *input, RtspByteQueue &output);
    ~RtspRemuxer();
    RtspRemuxer(const RtspRemuxer &) = delete;
    RtspRemuxer &operator=(const RtspRemuxer &) = delete;

    // Chooses the streams to carry. 0, or a negative AVERROR (AVERROR_STREAM_NOT_FOUND
    // when the session has nothing playable).
    int open();
    // Takes one packet read from the input; arrival is in RtspTimeline ticks. Unreferences
    // the packet. 0, or a negative AVERROR.
    int write(AVPacket *packet, int64_t arrival);
    // Completes the TS after the input ended.
    void finish();

    // True once the first keyframe went out.
    bool started() const { return m_headerWritten; }
    int videoStreamCount() const { return m_videoStreams; }
    int audioStreamCount() const { return m_audioStreams; }

private:
    static int writeBytes(void *opaque, uint8_t *data, int size);
    int writeHeader();
    int writeReady(int stream, const std::vector<RtspTimeline::Stamp> &stamps);

    AVFormatContext *m_input;
    RtspByteQueue &m_output;
    AVFormatContext *m_muxer = nullptr;
    AVIOContext *m_io = nullptr;
    std::vector<int> m_outputIndex;
    std::vector<std::deque<AVPacket *>> m_pending;
    RtspTimeline m_timeline;
    int m_keyStream = -1;
    int m_videoStreams = 0;
    int m_audioStreams = 0;
    bool m_headerWritten = false;
};

} // namespace marquetrix
