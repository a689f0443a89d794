#include "rtsptsprobe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

namespace marquetrix::test {

namespace {

struct MemoryReader
{
    const QByteArray &bytes;
    qsizetype offset = 0;

    static int read(void *opaque, uint8_t *buffer, int size)
    {
        auto *self = static_cast<MemoryReader *>(opaque);
        const auto n = std::min<qsizetype>(size, self->bytes.size() - self->offset);
        if (n <= 0)
            return AVERROR_EOF;
        std::memcpy(buffer, self->bytes.constData() + self->offset, static_cast<size_t>(n));
        self->offset += n;
        return static_cast<int>(n);
    }
};

// Opens the bytes as MPEG-TS; findStreamInfo reads ahead to learn the codecs' parameters.
AVFormatContext *openTs(MemoryReader &reader, bool findStreamInfo)
{
    constexpr int bufferSize = 64 * 1024;
    auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
    AVFormatContext *context = avformat_alloc_context();
    context->pb =
        avio_alloc_context(buffer, bufferSize, 0, &reader, &MemoryReader::read, nullptr, nullptr);
    if (avformat_open_input(&context, nullptr, av_find_input_format("mpegts"), nullptr) < 0)
        return nullptr;
    if (findStreamInfo && avformat_find_stream_info(context, nullptr) < 0) {
        avformat_close_input(&context);
        return nullptr;
    }
    return context;
}

void closeTs(AVFormatContext *context)
{
    AVIOContext *io = context->pb;
    avformat_close_input(&context);
    av_freep(&io->buffer);
    avio_context_free(&io);
}

} // namespace

TsSummary probeTs(const QByteArray &bytes)
{
    TsSummary summary;
    MemoryReader infoReader{bytes};
    AVFormatContext *info = openTs(infoReader, true);
    if (!info)
        return summary;
    summary.opened = true;
    int video = -1;
    for (unsigned i = 0; i < info->nb_streams; ++i) {
        const AVCodecParameters *par = info->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && video < 0) {
            video = static_cast<int>(i);
            summary.videoCodec = avcodec_get_name(par->codec_id);
            summary.width = par->width;
            summary.height = par->height;
        }
        summary.hasAudio |= par->codec_type == AVMEDIA_TYPE_AUDIO;
    }
    closeTs(info);

    // A second pass from the first byte, to see the very first packets.
    MemoryReader packetReader{bytes};
    AVFormatContext *context = openTs(packetReader, false);
    if (!context)
        return summary;
    std::vector<int64_t> lastDts(context->nb_streams, AV_NOPTS_VALUE);
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(context, packet) >= 0) {
        const auto index = static_cast<size_t>(packet->stream_index);
        if (packet->stream_index == video && summary.videoPackets++ == 0)
            summary.firstVideoIsKey = packet->flags & AV_PKT_FLAG_KEY;
        if (packet->dts != AV_NOPTS_VALUE) {
            if (lastDts[index] != AV_NOPTS_VALUE && packet->dts <= lastDts[index])
                summary.timestampsOrdered = false;
            if (packet->pts != AV_NOPTS_VALUE && packet->pts < packet->dts)
                summary.timestampsOrdered = false;
            lastDts[index] = packet->dts;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    closeTs(context);
    return summary;
}

} // namespace marquetrix::test
