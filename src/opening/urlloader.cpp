#include "urlloader.h"

#include "boundedreply.h"
#include "openinglogging.h"
#include "videourlresponse.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTimer>

namespace marquetrix {

UrlLoader::UrlLoader(const QNetworkRequest &request, const QByteArray &body, ResolverTiming timing,
                     QObject *parent)
    : QObject(parent), m_request(request), m_body(body), m_timing(timing)
{
}

void UrlLoader::load()
{
    m_attempts = 0;
    attempt();
}

void UrlLoader::attempt()
{
    ++m_attempts;
    QNetworkReply *reply = m_session.post(m_request, m_body);
    BoundedReply::watch(reply, m_timing.maxBodyBytes, m_timing.attemptTimeout,
                        [this](const BoundedReply::Outcome &outcome) {
                            if (!outcome.failure.isEmpty()) {
                                attemptFailed(outcome.failure);
                                return;
                            }
                            qCInfo(lcResolverClient, "Got data %lld bytes",
                                   static_cast<long long>(outcome.body.size()));
                            if (auto response = VideoUrlResponse::decode(outcome.body)) {
                                emit loaded(response->urls);
                                return;
                            }
                            attemptFailed(QStringLiteral("the answer (status %1) holds no list "
                                                         "of URLs")
                                              .arg(outcome.status.value_or(0)));
                        });
}

void UrlLoader::attemptFailed(const QString &reason)
{
    qCWarning(lcResolverClient).nospace()
        << "Resolver attempt " << m_attempts << " failed: " << reason;
    if (m_attempts <= m_timing.maxRetryCount) {
        QTimer::singleShot(m_timing.retryDelay, this, &UrlLoader::attempt);
        return;
    }
    emit failed(reason);
}

std::unique_ptr<UrlLoader> buildResolverRequest(const QUrl &baseUrl, const QString &link,
                                                ResolverTiming timing)
{
    QNetworkRequest request(baseUrl);
    request.setTransferTimeout(static_cast<int>(timing.attemptTimeout.count()));
    // Qt would otherwise label the body as form data (and warn about it).
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const QByteArray body =
        QJsonDocument(QJsonObject{{QStringLiteral("url"), link}}).toJson(QJsonDocument::Compact);
    return std::make_unique<UrlLoader>(request, body, timing);
}

} // namespace marquetrix
