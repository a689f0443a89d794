#include "rtsptestserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <csignal>

#if !defined(MARQUETRIX_RTSP_VLC_SERVER) || !defined(MARQUETRIX_RTSP_GST_SERVER)
#error "the build names the RTSP fixture programs"
#endif

namespace marquetrix::test {

RtspTestServer::~RtspTestServer()
{
    kill();
}

QString RtspTestServer::clip()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("rtsp-clip.mp4"));
        QProcess ffmpeg;
        ffmpeg.start(
            QStringLiteral("ffmpeg"),
            {"-hide_banner", "-loglevel", "error",     "-y",
             "-f",           "lavfi",     "-i",        "testsrc2=size=320x180:rate=25",
             "-f",           "lavfi",     "-i",        "sine=frequency=440:sample_rate=48000",
             "-t",           "60",        "-c:v",      "libx264",
             "-preset",      "veryfast",  "-g",        "25",
             "-pix_fmt",     "yuv420p",   "-c:a",      "aac",
             "-b:a",         "64k",       "-shortest", file});
        const bool ok = ffmpeg.waitForFinished(120'000) && ffmpeg.exitCode() == 0;
        return ok && QFileInfo::exists(file) ? file : QString();
    }();
    return path;
}

quint16 RtspTestServer::freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool RtspTestServer::start(const Options &options)
{
    const QString clipPath = options.clip.isEmpty() ? clip() : options.clip;
    if (clipPath.isEmpty()) {
        m_failure = QStringLiteral("ffmpeg could not generate the clip");
        return false;
    }
    if (options.kind == QLatin1String("vlc")) {
        m_process.start(QStringLiteral(MARQUETRIX_RTSP_VLC_SERVER),
                        {clipPath, QString::number(freePort())});
    } else {
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral(MARQUETRIX_RTSP_GST_SERVER), "--clip", clipPath,
                         "--transport", options.transport, "--auth", options.auth, "--user",
                         options.user, "--password", options.password, "--content", options.content,
                         "--tls", options.tls ? "yes" : "no"});
    }
    // The servers print "ready PORT" once they stream.
    QDeadlineTimer deadline(20'000);
    QByteArray output;
    while (!output.contains('\n') && !deadline.hasExpired() &&
           m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(static_cast<int>(qMin<qint64>(deadline.remainingTime(), 500)));
        output += m_process.readAllStandardOutput();
    }
    const QList<QByteArray> words = output.trimmed().split(' ');
    if (words.size() == 2 && words[0] == "ready") {
        m_port = static_cast<quint16>(words[1].toUInt());
        m_tls = options.tls;
        return m_port != 0;
    }
    m_failure =
        QStringLiteral("RTSP test server did not start: %1 %2")
            .arg(QString::fromUtf8(output), QString::fromUtf8(m_process.readAllStandardError()));
    kill();
    return false;
}

void RtspTestServer::freeze()
{
    if (m_process.state() != QProcess::NotRunning)
        ::kill(static_cast<pid_t>(m_process.processId()), SIGSTOP);
}

void RtspTestServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QUrl RtspTestServer::url(const QString &user, const QString &password, const QString &path) const
{
    QUrl url;
    url.setScheme(m_tls ? QStringLiteral("rtsps") : QStringLiteral("rtsp"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_port);
    url.setPath(path);
    if (!user.isEmpty()) {
        url.setUserName(user);
        url.setPassword(password);
    }
    return url;
}

} // namespace marquetrix::test
