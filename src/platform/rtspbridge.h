#pragma once

#include "rtspbytequeue.h"

#include <QString>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

struct AVFormatContext;

namespace marquetrix {

// Plays an rtsp:// or rtsps:// link through libavformat's RTSP client, because libVLC on
// this platform has no RTSP access of its own. A worker thread runs the session and
// remuxes it, without decoding, into an MPEG-TS byte stream that libVLC reads through
// read(). Credentials in the URL are used for basic and digest authentication and never
// logged.
//
// One bridge serves a media for its whole life; every start() opens a new session, so a
// stopped player can play the same media again.
class RtspBridge
{
public:
    // timeout bounds every wait on the server: the answers while opening, and the gap
    // between two packets while playing.
    explicit RtspBridge(QUrl url, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    ~RtspBridge();
    RtspBridge(const RtspBridge &) = delete;
    RtspBridge &operator=(const RtspBridge &) = delete;

    // Opens a session on the worker and returns at once; does nothing after abort()
    // until reset(), or while a session is already running.
    void start();
    // Waits for bytes of the TS, the end or an abort. Returns the bytes copied, 0 at the
    // end, -1 after an error or an abort.
    int64_t read(uint8_t *buffer, size_t size);
    // Makes a waiting read() return -1 at once and interrupts the session's network I/O.
    // Must be called before libVLC stops or releases a player that reads from this bridge:
    // libVLC waits for read() to return.
    void abort();
    // Forgets an earlier abort and error so that the next start() opens a new session.
    void reset();
    // Ends the current session and waits for its worker; libVLC's close.
    void close();

    // Why the last session failed. Failures after playback started reach libVLC as a plain
    // end of stream, so the player asks here.
    std::optional<QString> error() const;
    // Safe to log: the URL without its credentials.
    QString displayUrl() const;

    // A closed connection reads as a plain end too: only a recording whose server
    // announced its length (durationUs > 0), played to about that length, has really ended.
    static bool reachedAnnouncedEnd(int64_t durationUs, int64_t playedUs);

private:
    void run();
    int openInput(AVFormatContext **input, const char *transport);
    void fail(const QString &message);
    QString describe(int averror) const;
    void extendDeadline();
    bool stopping() const { return m_aborted || m_closing; }
    static int interrupted(void *opaque);

    const QUrl m_url;
    const std::chrono::milliseconds m_timeout;
    RtspByteQueue m_queue;
    std::mutex m_control;
    std::thread m_worker;
    std::atomic<bool> m_aborted = false;
    std::atomic<bool> m_closing = false;
    std::atomic<bool> m_timedOut = false;
    std::atomic<bool> m_running = false;
    std::atomic<int64_t> m_deadline = 0;
    mutable std::mutex m_errorMutex;
    std::optional<QString> m_error;
};

} // namespace marquetrix
