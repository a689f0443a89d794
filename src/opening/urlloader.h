#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>

namespace marquetrix {

// How hard a resolve tries. The defaults are the product's; tests shorten them.
struct ResolverTiming
{
    // One request, from sending to the last byte of the answer.
    std::chrono::milliseconds attemptTimeout{20000};
    std::chrono::milliseconds retryDelay{1000};
    // Failed attempts followed by a pause and another attempt; one final attempt follows.
    int maxRetryCount = 3;
    // A larger answer is a failed attempt, not a memory spike.
    qint64 maxBodyBytes = 8 * 1024 * 1024;
};

// One resolve of a page link: the prepared POST to the resolver service and the session it
// goes through (one per resolve). `load` sends it, retrying, and reports once: `loaded` with
// the answer's media URLs or `failed` when every attempt failed. Deleting the loader ends
// the resolve without a report.
class UrlLoader : public QObject
{
    Q_OBJECT

public:
    UrlLoader(const QNetworkRequest &request, const QByteArray &body, ResolverTiming timing = {},
              QObject *parent = nullptr);

    const QNetworkRequest &request() const { return m_request; }
    const QByteArray &body() const { return m_body; }
    int attempts() const { return m_attempts; }

    void load();

    Q_SIGNAL void loaded(const QStringList &urls);
    Q_SIGNAL void failed(const QString &reason);

private:
    void attempt();
    void attemptFailed(const QString &reason);

    QNetworkRequest m_request;
    QByteArray m_body;
    ResolverTiming m_timing;
    QNetworkAccessManager m_session;
    int m_attempts = 0;
};

// The resolver request for one link: a POST of {"url": link} to the base URL exactly.
std::unique_ptr<UrlLoader> buildResolverRequest(const QUrl &baseUrl, const QString &link,
                                                ResolverTiming timing = {});

} // namespace marquetrix
