#include "videosizeprobe.h"

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

QSize probe(const QByteArray &location, const std::shared_ptr<std::atomic<bool>> &cancelled)
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
    QSize size;
    if (avformat_open_input(&context, location.constData(), nullptr, &options) == 0) {
        if (avformat_find_stream_info(context, nullptr) >= 0) {
            const int index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
            if (index >= 0) {
                const AVCodecParameters *codec = context->streams[index]->codecpar;
                size = QSize(codec->width, codec->height);
            }
        }
        avformat_close_input(&context);
    } else {
        avformat_free_context(context);
    }
    av_dict_free(&options);
    return size;
}

} // namespace

bool VideoSizeProbe::canProbe(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isLocalFile() || scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

std::shared_ptr<std::atomic<bool>> VideoSizeProbe::start(const QUrl &url, QObject *context,
                                                         std::function<void(QSize)> done)
{
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    // A local path as its bytes: a file name need not be UTF-8.
    const QByteArray location =
        url.isLocalFile() ? QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                          : url.toEncoded();
    QPointer<QObject> receiver(context);
    std::thread([location, cancelled, receiver, done = std::move(done)] {
        const QSize size = probe(location, cancelled);
        if (*cancelled)
            return;
        // Checked on the GUI thread, where the receiver lives and dies.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, size, done] {
                if (receiver)
                    done(size);
            },
            Qt::QueuedConnection);
    }).detach();
    return cancelled;
}

} // namespace marquetrix
