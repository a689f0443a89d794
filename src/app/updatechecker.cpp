#include "updatechecker.h"

#include "appcast.h"
#include "applogging.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <chrono>

namespace marquetrix {

namespace {

// Feeds are small; anything larger is not our feed.
constexpr qint64 kMaxFeedBytes = 1024 * 1024;

} // namespace

UpdateChecker::UpdateChecker(QObject *parent)
    : QObject(parent), m_feedUrl(defaultFeedUrl()),
      m_currentVersion(QCoreApplication::applicationVersion())
{
}

// Deleted rather than aborted: an abort would report to this half-destroyed checker.
UpdateChecker::~UpdateChecker()
{
    delete m_reply.data();
}

QUrl UpdateChecker::defaultFeedUrl()
{
    const QByteArray configured = qgetenv("MARQUETRIX_APPCAST_URL");
    if (!configured.isEmpty())
        return QUrl(QString::fromUtf8(configured));
    return QUrl(QStringLiteral("https://marquetrix.org/appcast.xml"));
}

void UpdateChecker::setFeedUrl(const QUrl &value)
{
    m_feedUrl = value;
    emit feedUrlChanged();
}

void UpdateChecker::setCurrentVersion(const QString &value)
{
    m_currentVersion = value;
    emit currentVersionChanged();
}

void UpdateChecker::checkForUpdates()
{
    if (m_reply)
        return;
    if (!m_feedUrl.isValid() || m_feedUrl.scheme().isEmpty()) {
        finish(Result::Failed, tr("The update feed's address is not valid."));
        return;
    }
    QNetworkRequest request(m_feedUrl);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network.get(request);
    emit canCheckForUpdatesChanged();
    // The whole exchange is bounded, not only the pauses between bytes: a feed that trickles
    // must not keep the check open.
    BoundedReply::watch(m_reply, kMaxFeedBytes, std::chrono::milliseconds(m_timeoutMs),
                        [this](const BoundedReply::Outcome &outcome) { handleOutcome(outcome); });
}

void UpdateChecker::handleOutcome(const BoundedReply::Outcome &outcome)
{
    m_reply = nullptr;
    emit canCheckForUpdatesChanged();
    m_latestVersion.clear();
    m_releaseUrl.clear();
    QString failure = outcome.failure;
    if (failure.isEmpty() && (*outcome.status < 200 || *outcome.status > 299))
        failure = tr("the server answered %1").arg(*outcome.status);
    if (!failure.isEmpty()) {
        qCWarning(lcMain, "Update check failed: %s", qUtf8Printable(failure));
        finish(Result::Failed, tr("Could not check for updates: %1").arg(failure));
        return;
    }
    QString error;
    const auto release = newestRelease(outcome.body, &error);
    if (!release) {
        qCWarning(lcMain, "Update feed not understood: %s", qUtf8Printable(error));
        finish(Result::Failed,
               tr("Could not check for updates: the update feed is not understood."));
        return;
    }
    m_latestVersion = release->version;
    m_releaseUrl = release->link;
    if (compareVersions(release->version, m_currentVersion) > 0) {
        qCInfo(lcMain, "Update available: %s", qUtf8Printable(release->version));
        finish(
            Result::UpdateAvailable,
            tr("Marquetrix %1 is available; you have %2.").arg(release->version, m_currentVersion));
    } else {
        qCInfo(lcMain, "No update: %s is the newest version", qUtf8Printable(m_currentVersion));
        finish(Result::UpToDate, tr("Marquetrix %1 is the newest version.").arg(m_currentVersion));
    }
}

void UpdateChecker::finish(Result result, const QString &message)
{
    m_result = result;
    m_message = message;
    emit finished();
}

} // namespace marquetrix
