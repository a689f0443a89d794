#pragma once

#include "boundedreply.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>


namespace marquetrix {

// "Check for Updates…": reads the appcast feed, compares its newest version with ours and
// tells the user. Distribution packages are updated by the system, so nothing is installed
// here. The feed's address is built in; MARQUETRIX_APPCAST_URL overrides it.
class UpdateChecker : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    enum class Result
    {
        None,
        UpdateAvailable,
        UpToDate,
        Failed,
    };
    Q_ENUM(Result)

    explicit UpdateChecker(QObject *parent = nullptr);
    ~UpdateChecker() override;

    static QUrl defaultFeedUrl();

    Q_PROPERTY(QUrl feedUrl READ feedUrl WRITE setFeedUrl NOTIFY feedUrlChanged)
    QUrl feedUrl() const { return m_feedUrl; }
    void setFeedUrl(const QUrl &value);
    Q_SIGNAL void feedUrlChanged();

    // Ours; the application's version unless set.
    Q_PROPERTY(QString currentVersion READ currentVersion WRITE setCurrentVersion NOTIFY
                   currentVersionChanged)
    QString currentVersion() const { return m_currentVersion; }
    void setCurrentVersion(const QString &value);
    Q_SIGNAL void currentVersionChanged();

    // False while a check runs.
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    bool canCheckForUpdates() const { return m_reply == nullptr; }
    Q_SIGNAL void canCheckForUpdatesChanged();

    Q_PROPERTY(Result result READ result NOTIFY finished)
    Result result() const { return m_result; }
    // What the user is told about the last check.
    Q_PROPERTY(QString message READ message NOTIFY finished)
    QString message() const { return m_message; }
    Q_PROPERTY(QString latestVersion READ latestVersion NOTIFY finished)
    QString latestVersion() const { return m_latestVersion; }
    Q_PROPERTY(QUrl releaseUrl READ releaseUrl NOTIFY finished)
    QUrl releaseUrl() const { return m_releaseUrl; }
    Q_SIGNAL void finished();

    // A check that takes longer than this fails.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    Q_INVOKABLE void checkForUpdates();

private:
    void handleOutcome(const BoundedReply::Outcome &outcome);
    void finish(Result result, const QString &message);

    QNetworkAccessManager m_network;
    QUrl m_feedUrl;
    QString m_currentVersion;
    QPointer<QNetworkReply> m_reply;
    Result m_result = Result::None;
    QString m_message;
    QString m_latestVersion;
    QUrl m_releaseUrl;
    int m_timeoutMs = 15000;
};

} // namespace marquetrix
