#include "videoprobe.h"

#include "logging.h"

#include <QCoreApplication>
#include <QPointer>

extern "C" {
#include <libavformat/avformat.h>
}

#include <chrono>
#include <thread>

namespace marquetrix {

namespace {

using Clock = std::chrono::steady_clock;

// A probe that waits longer than playback would have is of no use.
constexpr auto probeTimeout = std::chrono::seconds(5);

struct Interrupt
{
    std::shared_ptr<std::atomic<bool>> cancelled;
    Clock::time_point deadline;
};

int interrupted(void *opaque)
{
    const auto *interrupt = static_cast<const Interrupt *>(opaque);
    return *interrupt->cancelled || Clock::now() > interrupt->deadline ? 1 : 0;
}

VideoColour colourOf(const AVCodecParameters &codec)
{
    VideoColour colour;
    switch (codec.color_space) {
    case AVCOL_SPC_BT709:
        colour.matrix = VideoColour::Matrix::Bt709;
        break;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
        colour.matrix = VideoColour::Matrix::Bt601;
        break;
    default:
        break;
    }
    switch (codec.format) {
    // The deprecated "J" pixel formats stand for full range even without the range tag.
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P:
        colour.fullRange = true;
        break;
    default:
        colour.fullRange = codec.color_range == AVCOL_RANGE_JPEG;
        break;
    }
    return colour;
}

ProbedVideo probe(const QByteArray &location, const std::shared_ptr<std::atomic<bool>> &cancelled)
{
    Interrupt interrupt{cancelled, Clock::now() + probeTimeout};
    AVFormatContext *context = avformat_alloc_context();
    if (!context)
        return {};
    context->interrupt_callback = {interrupted, &interrupt};
    AVDictionary *options = nullptr;
    av_dict_set(&options, "probesize", "2000000", 0);
    av_dict_set(&options, "analyzeduration", "2000000", 0);
    av_dict_set(&options, "rw_timeout", "5000000", 0);
    ProbedVideo video;
    if (avformat_open_input(&context, location.constData(), nullptr, &options) == 0) {
        // The colour tags of an H.264 or HEVC stream sit in its parameter sets, which only
        // the stream analysis reads.
        if (avformat_find_stream_info(context, nullptr) >= 0) {
            const int index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
            if (index >= 0) {
                const AVCodecParameters *codec = context->streams[index]->codecpar;
                video = {QSize(codec->width, codec->height), colourOf(*codec)};
            }
        }
        avformat_close_input(&context);
    } else {
        avformat_free_context(context);
    }
    av_dict_free(&options);
    return video;
}

} // namespace

bool VideoProbe::canProbe(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isLocalFile() || scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

std::shared_ptr<std::atomic<bool>> VideoProbe::start(const QUrl &url, QObject *context,
                                                     std::function<void(ProbedVideo)> done)
{
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    // A local path as its bytes: a file name need not be UTF-8.
    const QByteArray location =
        url.isLocalFile() ? QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                          : url.toEncoded();
    QPointer<QObject> receiver(context);
    std::thread([location, cancelled, receiver, done = std::move(done)] {
        const ProbedVideo video = probe(location, cancelled);
        if (*cancelled)
            return;
        // Checked on the GUI thread, where the receiver lives and dies.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, video, done] {
                if (receiver)
                    done(video);
            },
            Qt::QueuedConnection);
    }).detach();
    return cancelled;
}

} // namespace marquetrix
