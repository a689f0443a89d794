#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace marquetrix::test {

struct ResolverReply
{
    int status = 0;
    QByteArray body;
    qint64 elapsedMs = 0;

    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QStringList urls() const
    {
        return json().value(QLatin1String("urls")).toVariant().toStringList();
    }
};

// The built marquetrix-resolver as a child process on a free port of 127.0.0.1, with a PATH
// of the test's choosing (where yt-dlp is found, or not), and a client that posts to it the
// way the app does.
class ResolverProcess
{
public:
    ResolverProcess(const QStringList &arguments, const QString &path);
    ~ResolverProcess();

    // Waits until the service says where it listens.
    bool start();
    QUrl url() const { return m_url; }
    // All at once; the replies in the order of the bodies.
    QList<ResolverReply> postAll(const QList<QByteArray> &bodies, const QByteArray &verb = "POST");
    ResolverReply send(const QByteArray &verb, const QByteArray &body)
    {
        return postAll({body}, verb).value(0);
    }
    ResolverReply postLink(const QString &link)
    {
        return send("POST", QJsonDocument(QJsonObject{{QStringLiteral("url"), link}})
                                .toJson(QJsonDocument::Compact));
    }
    // Standard error so far, one entry per line.
    QStringList logLines();
    // Sends SIGTERM: the milliseconds until the service ended, -1 if it did not.
    qint64 terminate();

private:
    QProcess m_process;
    QNetworkAccessManager m_network;
    QUrl m_url;
    QByteArray m_log;
};

} // namespace marquetrix::test
