#include "rtsptestserver.h"

#include "mediagenerator.h"

#include <csignal>

namespace marquetrix::test {

QString RtspTestServer::clip()
{
    static MediaGenerator media;
    static const QString path = media.clip({.size = {320, 180}, .seconds = 20});
    return path;
}

bool RtspTestServer::start(const Options &options)
{
    const QString clipPath = options.clip.isEmpty() ? clip() : options.clip;
    if (clipPath.isEmpty()) {
        m_failure = QStringLiteral("ffmpeg could not generate the clip");
        return false;
    }
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(MARQUETRIX_RTSP_GST_SERVER), clipPath, options.transport,
                     options.auth, options.user, options.password, options.content,
                     options.tls ? "tls" : "plain", QString::number(options.port)});
    // The server prints "ready PORT" once it listens.
    QByteArray output;
    while (!output.contains('\n') && m_process.waitForReadyRead(20'000))
        output += m_process.readAllStandardOutput();
    const QList<QByteArray> words = output.trimmed().split(' ');
    m_port = words.size() == 2 && words[0] == "ready" ? quint16(words[1].toUInt()) : 0;
    m_tls = options.tls;
    if (m_port == 0) {
        m_failure = QStringLiteral("RTSP test server did not start: %1 %2")
                        .arg(QString::fromUtf8(output),
                             QString::fromUtf8(m_process.readAllStandardError()));
        kill();
    }
    return m_port != 0;
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
    QUrl url(QStringLiteral("%1://127.0.0.1:%2%3")
                 .arg(m_tls ? QStringLiteral("rtsps") : QStringLiteral("rtsp"))
                 .arg(m_port)
                 .arg(path));
    url.setUserName(user);
    url.setPassword(password);
    return url;
}

} // namespace marquetrix::test
