#pragma once

#include "layoutstate.h"
#include "mediaengine.h"
#include "notifyingproperty.h"
#include "urlloader.h"
#include "viewstate.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <memory>

namespace marquetrix {

class VideoMetadata;

// The logic of the open-by-link dialog: the form's fields, the link's clean-up and tests,
// and the two roads (straight into the engine, or through the resolver service), into a new
// tile or into the tile named by ViewState.openToPlayer. The dialog's QML binds to it.
class VideoOpenerController : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit VideoOpenerController(QObject *parent = nullptr);
    ~VideoOpenerController() override;

    Q_PROPERTY(marquetrix::ViewState *viewState READ viewState WRITE setViewState NOTIFY
                   viewStateChanged REQUIRED)
    ViewState *viewState() const { return m_viewState; }
    void setViewState(ViewState *value);
    Q_SIGNAL void viewStateChanged();

    Q_PROPERTY(marquetrix::LayoutState *layoutState READ layoutState WRITE setLayoutState NOTIFY
                   layoutStateChanged REQUIRED)
    LayoutState *layoutState() const { return m_layoutState; }
    void setLayoutState(LayoutState *value);
    Q_SIGNAL void layoutStateChanged();

    Q_PROPERTY(
        marquetrix::MediaEngine *engine READ engine WRITE setEngine NOTIFY engineChanged REQUIRED)
    MARQUETRIX_NOTIFYING(MediaEngine *, engine, setEngine, engineChanged, nullptr)
    Q_SIGNAL void engineChanged();

    // A resolver request is in flight: the form is disabled and the loading texts run.
    Q_PROPERTY(bool loadingUrl READ loadingUrl NOTIFY loadingUrlChanged)
    bool loadingUrl() const { return m_loadingUrl; }
    Q_SIGNAL void loadingUrlChanged();

    // The error line under the form; empty: no error.
    Q_PROPERTY(
        QString errorMessage READ errorMessage WRITE setErrorMessage NOTIFY errorMessageChanged)
    MARQUETRIX_NOTIFYING(QString, errorMessage, setErrorMessage, errorMessageChanged)
    Q_SIGNAL void errorMessageChanged();

    Q_PROPERTY(QString username READ username WRITE setUsername NOTIFY usernameChanged)
    QString username() const { return m_username; }
    void setUsername(const QString &value);
    Q_SIGNAL void usernameChanged();

    Q_PROPERTY(QString password READ password WRITE setPassword NOTIFY passwordChanged)
    QString password() const { return m_password; }
    void setPassword(const QString &value);
    Q_SIGNAL void passwordChanged();

    Q_PROPERTY(QString loadingText READ loadingText NOTIFY loadingTextChanged)
    QString loadingText() const { return m_loadingText; }
    Q_SIGNAL void loadingTextChanged();

    // "Store password in key chain".
    Q_PROPERTY(bool saveCredentials READ saveCredentials WRITE setSaveCredentials NOTIFY
                   saveCredentialsChanged)
    MARQUETRIX_NOTIFYING(bool, saveCredentials, setSaveCredentials, saveCredentialsChanged)
    Q_SIGNAL void saveCredentialsChanged();

    // Shows the "Failed to store credentials" toast; its dismissal sets it back.
    Q_PROPERTY(bool failedToSaveCredentials READ failedToSaveCredentials WRITE
                   setFailedToSaveCredentials NOTIFY failedToSaveCredentialsChanged)
    MARQUETRIX_NOTIFYING(bool, failedToSaveCredentials, setFailedToSaveCredentials,
                         failedToSaveCredentialsChanged)
    Q_SIGNAL void failedToSaveCredentialsChanged();

    // The resolver service's base URL.
    Q_PROPERTY(QUrl url READ url WRITE setUrl NOTIFY urlChanged)
    MARQUETRIX_NOTIFYING(QUrl, url, setUrl, urlChanged)
    Q_SIGNAL void urlChanged();

    // The link field. Typing a link to a host with stored credentials fills them in.
    Q_PROPERTY(QString videoUrl READ videoUrl WRITE setVideoUrl NOTIFY videoUrlChanged)
    QString videoUrl() const { return m_videoUrl; }
    void setVideoUrl(const QString &value);
    Q_SIGNAL void videoUrlChanged();

    static const QStringList &texts();

    Q_INVOKABLE void openEnteredUrl();
    Q_INVOKABLE void cancel();
    void rotateLoadingText();
    void resetDialog();
    void finishReplacement();

    // For tests: shorter resolver attempts.
    void setResolverTiming(const ResolverTiming &timing) { m_resolverTiming = timing; }

private:
    // The host the link text names; empty while it names none.
    static QString linkHost(const QString &text);
    void fillStoredCredentials(const QString &text);
    void setCredentials(const QString &username, const QString &password, const QString &host);
    void followVisibility();
    void dialogClosed();
    void clearForm();
    void openDirectUrl(const QUrl &url);
    bool canDeliver();
    void deliver(const std::shared_ptr<VideoMetadata> &record);
    std::optional<QUrl> authenticatedUrl(const QUrl &url, const QString &username,
                                         const QString &password);
    void storeCredentials(const QString &server, const QString &username, const QString &password);
    void resolveAndOpen(const QString &link);
    void resolved(const QStringList &urls, const QString &link);
    // The record ViewState.openToPlayer names; null when there is none.
    std::shared_ptr<VideoMetadata> targetRecord() const;
    bool opensIntoTile() const;
    void showOpenFailure();
    void setLoadingUrl(bool value);
    void setLoadingText(const QString &value);

    QPointer<ViewState> m_viewState;
    QPointer<LayoutState> m_layoutState;
    bool m_loadingUrl = false;
    QString m_username;
    QString m_password;
    QString m_loadingText;
    QString m_videoUrl;
    QTimer m_timer;
    // The host whose stored credentials were asked for last.
    QString m_lookedUpHost;
    // The host the credentials in the form belong to; empty: typed before the link named one.
    QString m_credentialsHost;
    bool m_shown = false;
    // Counts the dialog's closings: late answers of an earlier showing are dropped.
    quint64 m_showing = 0;
    std::unique_ptr<UrlLoader> m_loader;
    ResolverTiming m_resolverTiming;
};

} // namespace marquetrix
