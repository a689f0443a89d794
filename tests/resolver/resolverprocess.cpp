#include "resolverprocess.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcessEnvironment>
#include <QSignalSpy>

namespace marquetrix::test {

namespace {

constexpr int startTimeoutMs = 10000;
// Longer than any bound a test gives the service, so that the service's own bounds are
// what the tests see.
constexpr int replyTimeoutMs = 60000;

} // namespace

QJsonObject ResolverReply::json() const
{
    return QJsonDocument::fromJson(body).object();
}

QStringList ResolverReply::urls() const
{
    QStringList list;
    for (const QJsonValue &value : json().value(QLatin1String("urls")).toArray())
        list << value.toString();
    return list;
}

ResolverProcess::ResolverProcess(const QStringList &arguments, const QString &path)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), path);
    // Pages on 127.0.0.1 are reached directly whatever the machine's proxy settings.
    for (const char *proxy :
         {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
        environment.remove(QString::fromLatin1(proxy));
    m_process.setProcessEnvironment(environment);
    m_process.setProgram(QStringLiteral(MARQUETRIX_RESOLVER_PROGRAM));
    m_process.setArguments(QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} +
                           arguments);
    m_network.setProxy(QNetworkProxy::NoProxy);
    m_network.setTransferTimeout(replyTimeoutMs);
}

ResolverProcess::~ResolverProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(startTimeoutMs))
            m_process.kill();
        m_process.waitForFinished();
    }
}

bool ResolverProcess::start()
{
    m_process.start();
    if (!m_process.waitForStarted(startTimeoutMs))
        return false;
    QByteArray out;
    while (!out.contains('\n')) {
        if (!m_process.waitForReadyRead(startTimeoutMs))
            return false;
        out += m_process.readAllStandardOutput();
    }
    const QByteArray line = out.left(out.indexOf('\n'));
    const QByteArray prefix = "listening on ";
    if (!line.startsWith(prefix))
        return false;
    m_url = QUrl(QString::fromUtf8(line.mid(prefix.size())));
    return m_url.isValid() && m_url.port() > 0;
}

ResolverReply ResolverProcess::send(const QByteArray &verb, const QByteArray &body)
{
    return postAll({body}, verb).value(0);
}

ResolverReply ResolverProcess::postLink(const QString &link)
{
    return send(
        "POST",
        QJsonDocument(QJsonObject{{QStringLiteral("url"), link}}).toJson(QJsonDocument::Compact));
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
        if (!reply->isFinished()) {
            QSignalSpy finished(reply, &QNetworkReply::finished);
            finished.wait(replyTimeoutMs);
        }
        replies[i].status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        replies[i].body = reply->readAll();
        replies[i].elapsedMs = clock.elapsed();
        reply->deleteLater();
    }
    return replies;
}

qint64 ResolverProcess::terminate()
{
    QElapsedTimer clock;
    clock.start();
    m_process.terminate();
    if (!m_process.waitForFinished(replyTimeoutMs))
        return -1;
    return clock.elapsed();
}

QStringList ResolverProcess::logLines()
{
    m_log += m_process.readAllStandardError();
    QStringList lines = QString::fromUtf8(m_log).split(QLatin1Char('\n'));
    lines.removeAll(QString());
    return lines;
}

} // namespace marquetrix::test
