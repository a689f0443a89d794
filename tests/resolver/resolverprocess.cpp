#include "resolverprocess.h"

#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSignalSpy>

namespace marquetrix::test {

// Longer than any bound a test gives the service, so that its own bounds are what tests see.
constexpr int kTimeoutMs = 60000;

ResolverProcess::ResolverProcess(const QStringList &arguments, const QString &path)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), path);
    // Pages on 127.0.0.1 are reached directly whatever the machine's proxy settings.
    for (const char *proxy : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "ALL_PROXY"})
        environment.remove(QString::fromLatin1(proxy));
    m_process.setProcessEnvironment(environment);
    m_process.setProgram(QStringLiteral(MARQUETRIX_RESOLVER_PROGRAM));
    m_process.setArguments(QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} +
                           arguments);
    m_network.setProxy(QNetworkProxy::NoProxy);
    m_network.setTransferTimeout(kTimeoutMs);
}

ResolverProcess::~ResolverProcess()
{
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished();
}

bool ResolverProcess::start()
{
    m_process.start();
    QByteArray out;
    while (!out.contains('\n') && m_process.waitForReadyRead(10000))
        out += m_process.readAllStandardOutput();
    if (!out.startsWith("listening on "))
        return false;
    m_url = QUrl(QString::fromUtf8(out.mid(13, out.indexOf('\n') - 13)));
    return m_url.port() > 0;
}

QList<ResolverReply> ResolverProcess::postAll(const QList<QByteArray> &bodies,
                                              const QByteArray &verb)
{
    QList<ResolverReply> replies(bodies.size());
    QList<QNetworkReply *> pending;
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray &body : bodies) {
        QNetworkRequest request(m_url);
        // What the network stack puts on a POST that names no type, as the app's does.
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QStringLiteral("application/x-www-form-urlencoded"));
        pending << m_network.sendCustomRequest(request, verb, body);
    }
    for (qsizetype i = 0; i < pending.size(); ++i) {
        QNetworkReply *reply = pending[i];
        if (!reply->isFinished())
            QSignalSpy(reply, &QNetworkReply::finished).wait(kTimeoutMs);
        replies[i] = {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                      reply->readAll(), clock.elapsed()};
        reply->deleteLater();
    }
    return replies;
}

qint64 ResolverProcess::terminate()
{
    QElapsedTimer clock;
    clock.start();
    m_process.terminate();
    return m_process.waitForFinished(kTimeoutMs) ? clock.elapsed() : -1;
}

QStringList ResolverProcess::logLines()
{
    m_log += m_process.readAllStandardError();
    return QString::fromUtf8(m_log).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace marquetrix::test
