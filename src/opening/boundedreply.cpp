#include "boundedreply.h"

#include <QNetworkReply>

namespace marquetrix {

void BoundedReply::watch(QNetworkReply *reply, qint64 maxBytes, std::chrono::milliseconds timeout,
                         std::function<void(const Outcome &)> done)
{
    new BoundedReply(reply, maxBytes, timeout, std::move(done));
}

BoundedReply::BoundedReply(QNetworkReply *reply, qint64 maxBytes, std::chrono::milliseconds timeout,
                           std::function<void(const Outcome &)> done)
    : QObject(reply), m_reply(reply), m_maxBytes(maxBytes), m_done(std::move(done))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_abortReason =
            tr("no complete answer within %1 s").arg(double(m_timer.interval()) / 1000.0);
        m_reply->abort();
    });
    m_timer.start(timeout);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_maxBytes) {
            m_abortReason = tr("answer of %1 bytes is larger than %2 bytes")
                                .arg(length.toLongLong())
                                .arg(m_maxBytes);
            m_reply->abort();
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, &BoundedReply::read);
    connect(reply, &QNetworkReply::finished, this, &BoundedReply::finish);
}

void BoundedReply::read()
{
    if (!m_abortReason.isEmpty())
        return;
    if (m_body.size() + m_reply->bytesAvailable() > m_maxBytes) {
        m_abortReason = tr("answer is larger than %1 bytes").arg(m_maxBytes);
        m_reply->abort();
        return;
    }
    m_body += m_reply->readAll();
}

void BoundedReply::finish()
{
    m_timer.stop();
    read();
    Outcome outcome;
    if (!m_abortReason.isEmpty()) {
        outcome.failure = m_abortReason;
    } else {
        // Errors below the content errors (201 on) are the connection's and the proxy's:
        // whatever arrived before them is not a whole answer.
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool transportFailed = m_reply->error() != QNetworkReply::NoError &&
                                     m_reply->error() < QNetworkReply::ContentAccessDenied;
        if (status.isValid() && !transportFailed)
            outcome.status = status.toInt();
        else
            outcome.failure = m_reply->errorString();
        outcome.body = std::move(m_body);
    }
    // Once only: an abort from inside the callback must not report a second time.
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->deleteLater();
    const auto done = std::move(m_done);
    done(outcome);
}

} // namespace marquetrix
