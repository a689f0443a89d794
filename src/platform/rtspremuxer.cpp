#include "rtspremuxer.h"

#include "rtspbytequeue.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <array>

namespace marquetrix {

namespace {

// Codecs the TS muxer carries as they come from RTP and libVLC decodes from TS.
constexpr std::array carriedVideo{AV_CODEC_ID_H264, AV_CODEC_ID_HEVC, AV_CODEC_ID_MPEG2VIDEO,
                                  AV_CODEC_ID_MPEG4};
constexpr std::array carriedAudio{AV_CODEC_ID_AAC, AV_CODEC_ID_MP2,  AV_CODEC_ID_MP3,
                                  AV_CODEC_ID_AC3, AV_CODEC_ID_EAC3, AV_CODEC_ID_OPUS};

// Enough for the B-frames of common live encoders; costs nothing for streams without them.
constexpr int64_t videoReorderLead = RtspTimeline::ticksPerSecond / 5;
constexpr AVRational tsTimeBase{1, static_cast<int>(RtspTimeline::ticksPerSecond)};
// Small, so a picture reaches the player as soon as its packet is muxed.
constexpr int ioBufferSize = 188 * 32;

bool contains(const auto &list, AVCodecID id)
{
    return std::find(list.begin(), list.end(), id) != list.end();
}

} // namespace

RtspRemuxer::RtspRemuxer(AVFormatContext *input, RtspByteQueue &output)
    : m_input(input), m_output(output)
{
}

RtspRemuxer::~RtspRemuxer()
{
    for (auto &queue : m_pending) {
        for (AVPacket *packet : queue)
            av_packet_free(&packet);
    }
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    avformat_free_context(m_muxer);
}

int RtspRemuxer::open()
{
    int ret = avformat_alloc_output_context2(&m_muxer, nullptr, "mpegts", nullptr);
    if (ret < 0)
        return ret;
    m_outputIndex.assign(m_input->nb_streams, -1);
    for (unsigned i = 0; i < m_input->nb_streams; ++i) {
        const AVCodecParameters *par = m_input->streams[i]->codecpar;
        const bool video =
            par->codec_type == AVMEDIA_TYPE_VIDEO && contains(carriedVideo, par->codec_id);
        const bool audio =
            par->codec_type == AVMEDIA_TYPE_AUDIO && contains(carriedAudio, par->codec_id);
        if (!video && !audio)
            continue;
        AVStream *out = avformat_new_stream(m_muxer, nullptr);
        if (!out)
            return AVERROR(ENOMEM);
        ret = avcodec_parameters_copy(out->codecpar, par);
        if (ret < 0)
            return ret;
        out->codecpar->codec_tag = 0;
        out->time_base = tsTimeBase;
        m_outputIndex[i] = out->index;
        m_timeline.addStream(video ? videoReorderLead : 0);
        if (video && m_keyStream < 0)
            m_keyStream = out->index;
        (video ? m_videoStreams : m_audioStreams) += 1;
    }
    if (m_muxer->nb_streams == 0)
        return AVERROR_STREAM_NOT_FOUND;
    m_pending.resize(m_muxer->nb_streams);

    auto *buffer = static_cast<unsigned char *>(av_malloc(ioBufferSize));
    if (!buffer)
        return AVERROR(ENOMEM);
    m_io = avio_alloc_context(buffer, ioBufferSize, 1, this, nullptr, &RtspRemuxer::writeBytes,
                              nullptr);
    if (!m_io) {
        av_free(buffer);
        return AVERROR(ENOMEM);
    }
    m_muxer->pb = m_io;
    m_muxer->flush_packets = 1;
    return 0;
}

int RtspRemuxer::writeBytes(void *opaque, uint8_t *data, int size)
{
    auto *self = static_cast<RtspRemuxer *>(opaque);
    return self->m_output.write(data, static_cast<size_t>(size)) ? size : AVERROR_EXIT;
}

int RtspRemuxer::writeHeader()
{
    const int ret = avformat_write_header(m_muxer, nullptr);
    if (ret >= 0)
        m_headerWritten = true;
    return ret;
}

int RtspRemuxer::write(AVPacket *packet, int64_t arrival)
{
    const int in = packet->stream_index;
    const int out = in >= 0 && in < static_cast<int>(m_outputIndex.size())
                        ? m_outputIndex[static_cast<size_t>(in)]
                        : -1;
    if (out < 0) {
        av_packet_unref(packet);
        return 0;
    }
    if (!m_headerWritten) {
        const bool opensStream =
            m_keyStream < 0 || (out == m_keyStream && (packet->flags & AV_PKT_FLAG_KEY));
        if (!opensStream) {
            av_packet_unref(packet);
            return 0;
        }
        const int ret = writeHeader();
        if (ret < 0) {
            av_packet_unref(packet);
            return ret;
        }
    }

    const AVRational inBase = m_input->streams[in]->time_base;
    std::optional<int64_t> pts;
    if (packet->pts != AV_NOPTS_VALUE)
        pts = av_rescale_q(packet->pts, inBase, tsTimeBase);
    else if (packet->dts != AV_NOPTS_VALUE)
        pts = av_rescale_q(packet->dts, inBase, tsTimeBase);
    if (packet->duration > 0)
        packet->duration = av_rescale_q(packet->duration, inBase, tsTimeBase);

    AVPacket *held = av_packet_alloc();
    if (!held) {
        av_packet_unref(packet);
        return AVERROR(ENOMEM);
    }
    av_packet_move_ref(held, packet);
    held->stream_index = out;
    held->pos = -1;
    m_pending[static_cast<size_t>(out)].push_back(held);
    return writeReady(out, m_timeline.push(out, pts, arrival));
}

int RtspRemuxer::writeReady(int stream, const std::vector<RtspTimeline::Stamp> &stamps)
{
    auto &queue = m_pending[static_cast<size_t>(stream)];
    const AVRational outBase = m_muxer->streams[stream]->time_base;
    for (const RtspTimeline::Stamp &stamp : stamps) {
        AVPacket *packet = queue.front();
        queue.pop_front();
        packet->pts = av_rescale_q(stamp.pts, tsTimeBase, outBase);
        packet->dts = av_rescale_q(stamp.dts, tsTimeBase, outBase);
        if (packet->duration > 0)
            packet->duration = av_rescale_q(packet->duration, tsTimeBase, outBase);
        const int ret = av_write_frame(m_muxer, packet);
        av_packet_free(&packet);
        if (ret < 0)
            return ret;
    }
    return 0;
}

void RtspRemuxer::finish()
{
    if (m_headerWritten)
        av_write_trailer(m_muxer);
}

} // namespace marquetrix
