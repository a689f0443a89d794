#include "rtspbridge.h"

#include "logging.h"
#include "rtspremuxer.h"
#include "rtsptimeline.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <cerrno>

namespace marquetrix {

namespace {

// Deep enough that libVLC never waits on a healthy session, small enough that a reader
// that stops reading costs little memory.
constexpr size_t queueCapacity = 8 * 1024 * 1024;
// A larger socket buffer keeps RTP over UDP from losing packets while a burst arrives.
constexpr int64_t udpBufferSize = 1024 * 1024;

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t arrivalTicks()
{
    return nowNs() / (1'000'000'000 / RtspTimeline::ticksPerSecond);
}

} // namespace

RtspBridge::RtspBridge(QUrl url, std::chrono::milliseconds timeout)
    : m_url(std::move(url)), m_timeout(timeout), m_queue(queueCapacity)
{
}

RtspBridge::~RtspBridge()
{
    abort();
    std::thread worker;
    {
        std::lock_guard lock(m_control);
        worker = std::move(m_worker);
    }
    if (worker.joinable())
        worker.join();
}

QString RtspBridge::displayUrl() const
{
    return m_url.toString(QUrl::RemoveUserInfo);
}

void RtspBridge::start()
{
    std::lock_guard lock(m_control);
    if (m_aborted || m_running)
        return;
    if (m_worker.joinable())
        m_worker.join();
    m_queue.reset();
    m_closing = false;
    m_timedOut = false;
    m_running = true;
    m_worker = std::thread(&RtspBridge::run, this);
}

int64_t RtspBridge::read(uint8_t *buffer, size_t size)
{
    const int64_t n = m_queue.read(buffer, size);
    if (n == 0 && error())
        return -1;
    return n;
}

void RtspBridge::abort()
{
    std::lock_guard lock(m_control);
    m_aborted = true;
    m_queue.cancel();
}

void RtspBridge::reset()
{
    std::lock_guard lock(m_control);
    m_aborted = false;
    std::lock_guard errorLock(m_errorMutex);
    m_error.reset();
}

void RtspBridge::close()
{
    std::thread worker;
    {
        std::lock_guard lock(m_control);
        m_closing = true;
        m_queue.cancel();
        worker = std::move(m_worker);
    }
    if (worker.joinable())
        worker.join();
}

bool RtspBridge::reachedAnnouncedEnd(int64_t durationUs, int64_t playedUs)
{
    // AV_NOPTS_VALUE, the unknown duration, is negative.
    return durationUs > 0 && playedUs >= durationUs - 2 * AV_TIME_BASE;
}

std::optional<QString> RtspBridge::error() const
{
    std::lock_guard lock(m_errorMutex);
    return m_error;
}

void RtspBridge::fail(const QString &message)
{
    qCWarning(lcEngine).noquote() << "RTSP" << displayUrl() << "failed:" << message;
    std::lock_guard lock(m_errorMutex);
    m_error = message;
}

void RtspBridge::extendDeadline()
{
    m_deadline = nowNs() + std::chrono::nanoseconds(m_timeout).count();
}

int RtspBridge::interrupted(void *opaque)
{
    auto *self = static_cast<RtspBridge *>(opaque);
    if (self->stopping())
        return 1;
    if (nowNs() > self->m_deadline) {
        self->m_timedOut = true;
        return 1;
    }
    return 0;
}

int RtspBridge::openInput(AVFormatContext **input, const char *transport)
{
    AVFormatContext *context = avformat_alloc_context();
    if (!context)
        return AVERROR(ENOMEM);
    context->interrupt_callback = AVIOInterruptCB{&RtspBridge::interrupted, this};
    AVDictionary *options = nullptr;
    av_dict_set(&options, "rtsp_transport", transport, 0);
    av_dict_set_int(&options, "timeout",
                    std::chrono::duration_cast<std::chrono::microseconds>(m_timeout).count(), 0);
    av_dict_set_int(&options, "buffer_size", udpBufferSize, 0);
    const QByteArray url = m_url.toString(QUrl::FullyEncoded).toUtf8();
    extendDeadline();
    const int ret = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (ret >= 0)
        *input = context;
    return ret;
}

QString RtspBridge::describe(int averror) const
{
    if (m_timedOut) {
        return QStringLiteral("The RTSP server did not answer within %1 s")
            .arg(static_cast<double>(m_timeout.count()) / 1000.0);
    }
    switch (averror) {
    case AVERROR(ECONNREFUSED):
        return QStringLiteral("The RTSP server refused the connection");
    case AVERROR_HTTP_NOT_FOUND:
        return QStringLiteral("The RTSP server has no stream at this address (404)");
    case AVERROR_HTTP_UNAUTHORIZED:
        return QStringLiteral("The RTSP server did not accept the credentials (401)");
    case AVERROR_HTTP_FORBIDDEN:
        return QStringLiteral("The RTSP server denied access (403)");
    case AVERROR_STREAM_NOT_FOUND:
        return QStringLiteral("The RTSP stream has no video or audio that can be played");
    case AVERROR(EPROTONOSUPPORT):
        return QStringLiteral("The RTSP server offers no transport that can be used");
    default:
        break;
    }
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    return QStringLiteral("RTSP session failed: %1").arg(QString::fromUtf8(text));
}

void RtspBridge::run()
{
    AVFormatContext *input = nullptr;
    // TCP first: it loses nothing and passes firewalls. Servers that only stream over UDP
    // refuse it at once, most with 461, some with a generic client or server error.
    int ret = openInput(&input, "tcp");
    const bool transportRefused = ret == AVERROR(EPROTONOSUPPORT) ||
                                  ret == AVERROR_HTTP_BAD_REQUEST ||
                                  ret == AVERROR_HTTP_OTHER_4XX || ret == AVERROR_HTTP_SERVER_ERROR;
    if (transportRefused && !stopping())
        ret = openInput(&input, "udp");
    if (ret >= 0) {
        RtspRemuxer remuxer(input, m_queue);
        ret = remuxer.open();
        if (ret >= 0) {
            qCInfo(lcEngine).noquote()
                << "RTSP" << displayUrl() << "opened:" << remuxer.videoStreamCount() << "video and"
                << remuxer.audioStreamCount() << "audio streams";
        }
        AVPacket *packet = av_packet_alloc();
        const int64_t playStartNs = nowNs();
        while (ret >= 0 && packet) {
            ret = av_read_frame(input, packet);
            if (ret < 0)
                break;
            extendDeadline();
            ret = remuxer.write(packet, arrivalTicks());
            // Time spent waiting for libVLC to read is not the server's silence.
            extendDeadline();
        }
        if (!packet)
            ret = AVERROR(ENOMEM);
        av_packet_free(&packet);
        const int64_t playedUs = (nowNs() - playStartNs) / 1000;
        const bool complete = ret == AVERROR_EOF && reachedAnnouncedEnd(input->duration, playedUs);
        if (complete) {
            remuxer.finish();
        } else if (!stopping()) {
            if (remuxer.started()) {
                fail(QStringLiteral("The RTSP stream broke off. %1")
                         .arg(ret == AVERROR_EOF ? QStringLiteral("The server ended the session")
                                                 : describe(ret)));
            } else {
                fail(ret == AVERROR_EOF
                         ? QStringLiteral("The RTSP server ended the session before a picture")
                         : describe(ret));
            }
        }
    } else if (!stopping()) {
        fail(describe(ret));
    }
    avformat_close_input(&input);
    m_queue.finish();
    m_running = false;
}

} // namespace marquetrix
