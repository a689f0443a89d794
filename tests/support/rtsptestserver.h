#pragma once

#include <QProcess>
#include <QString>
#include <QUrl>

namespace marquetrix::test {

// GStreamer's RTSP server on 127.0.0.1 (rtspgstserver.py), serving at /live on a free port
// a generated 20 s 320x180 H.264 clip with B-frames and a keyframe every second, plus AAC.
class RtspTestServer
{
public:
    struct Options
    {
        QString transport = QStringLiteral("both"); // or "tcp", "udp"
        QString auth = QStringLiteral("none");      // or "basic", "digest"
        QString user = {};
        QString password = {};
        // "clip", "audio" for the clip's sound alone, or "mjpeg" for a live Motion JPEG
        // picture, a codec MPEG-TS cannot carry.
        QString content = QStringLiteral("clip");
        // RTSP over TLS (rtsps, TCP), with the self-signed certificate rtsps-test.pem.
        bool tls = false;
        // The MP4 (H.264 and AAC) to serve instead of the generated clip.
        QString clip = {};
        // 0: a free one.
        quint16 port = 0;
    };

    ~RtspTestServer() { kill(); }

    // Waits until the server listens; false with failure() set when it could not start.
    bool start(const Options &options);
    // Kills the server at once, as a crash would.
    void kill();
    // Stops the server without closing anything, as a hung machine would.
    void freeze();

    quint16 port() const { return m_port; }
    // rtsp://[user:password@]127.0.0.1:PORT/path (rtsps:// with tls); the password is set
    // raw, so a ':' in it stays a ':' in the URL.
    QUrl url(const QString &user = {}, const QString &password = {},
             const QString &path = QStringLiteral("/live")) const;
    QString failure() const { return m_failure; }

    // The generated clip, made once per test process; empty when ffmpeg failed.
    static QString clip();

private:
    QProcess m_process;
    quint16 m_port = 0;
    bool m_tls = false;
    QString m_failure;
};

} // namespace marquetrix::test
