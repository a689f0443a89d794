#include "videoopenercontroller.h"

#include "followedstate.h"

#include "credentialstore.h"
#include "linkrecords.h"
#include "linkrules.h"
#include "openinglogging.h"
#include "resolverbaseurl.h"
#include "videometadata.h"

#include <QRandomGenerator>

namespace marquetrix {

VideoOpenerController::VideoOpenerController(QObject *parent)
    : QObject(parent), m_url(resolverBaseUrl())
{
    connect(&m_timer, &QTimer::timeout, this, &VideoOpenerController::rotateLoadingText);
    m_timer.start(1500);
}

VideoOpenerController::~VideoOpenerController() = default;

const QStringList &VideoOpenerController::texts()
{
    // Translated on the first call, after main has loaded the translation.
    static const QStringList list = {
        tr("Rolling thumbs"),
        tr("Having a snack"),
        tr("Contemplating life"),
        tr("Scrolling Reddit"),
        tr("Waiting for paint to dry"),
        tr("Inspecting nails"),
        tr("Scratching nose"),
        tr("Counting sheep"),
        tr("Dozing off"),
        tr("Extracting belly button fluff"),
        tr("Procrastinating tasks"),
        tr("Whistling a tune"),
        tr("Pretending to work"),
        tr("Sipping coffee"),
    };
    return list;
}

void VideoOpenerController::setViewState(ViewState *value)
{
    followState(m_viewState, value, this);
    m_shown = value && value->openUrlVisible();
    if (value)
        connect(value, &ViewState::openUrlVisibleChanged, this,
                &VideoOpenerController::followVisibility);
    emit viewStateChanged();
}

void VideoOpenerController::setLayoutState(LayoutState *value)
{
    m_layoutState = value;
    emit layoutStateChanged();
}

// Typed credentials belong to the host the link names while they are typed.
void VideoOpenerController::setUsername(const QString &value)
{
    setCredentials(value, m_password, linkHost(m_videoUrl));
}

void VideoOpenerController::setPassword(const QString &value)
{
    setCredentials(m_username, value, linkHost(m_videoUrl));
}

void VideoOpenerController::setCredentials(const QString &username, const QString &password,
                                           const QString &host)
{
    m_credentialsHost = host;
    if (m_username != username) {
        m_username = username;
        emit usernameChanged();
    }
    if (m_password != password) {
        m_password = password;
        emit passwordChanged();
    }
}

void VideoOpenerController::setVideoUrl(const QString &value)
{
    m_videoUrl = value;
    emit videoUrlChanged();
    fillStoredCredentials(value);
}

void VideoOpenerController::setLoadingUrl(bool value)
{
    m_loadingUrl = value;
    emit loadingUrlChanged();
}

void VideoOpenerController::setLoadingText(const QString &value)
{
    m_loadingText = value;
    emit loadingTextChanged();
}

QString VideoOpenerController::linkHost(const QString &text)
{
    const QUrl url(text.trimmed());
    return url.isValid() ? url.host() : QString();
}

void VideoOpenerController::fillStoredCredentials(const QString &text)
{
    const QString host = linkHost(text);
    // Credentials never follow the link to another host: the user would send one host's
    // password to the next without seeing it.
    if (!m_credentialsHost.isEmpty() && host != m_credentialsHost)
        setCredentials(QString(), QString(), QString());
    // Asked once per host: typing the rest of the link keeps what the user changed since.
    if (host.isEmpty() || host == m_lookedUpHost)
        return;
    m_lookedUpHost = host;
    getCredentialsLater(host, this, [this, host](std::optional<Credentials> credentials) {
        // An answer for a host the field no longer names is stale.
        if (!credentials || linkHost(m_videoUrl) != host)
            return;
        setCredentials(credentials->username, credentials->password, host);
    });
}

void VideoOpenerController::rotateLoadingText()
{
    if (!m_loadingUrl) {
        setLoadingText(QString());
        return;
    }
    QString next;
    do {
        next = texts().at(QRandomGenerator::global()->bounded(int(texts().size())));
    } while (next == m_loadingText);
    setLoadingText(next);
}

void VideoOpenerController::openEnteredUrl()
{
    if (m_loadingUrl)
        return;
    const QString link = prefixedLink(m_videoUrl);
    if (!isValidVideoUrl(link)) {
        setErrorMessage(tr("URL is not valid. Please verify that it is correct and try again."));
        return;
    }
    if (!needsResolver(link)) {
        openDirectUrl(QUrl(link));
        return;
    }
    setErrorMessage(QString());
    setLoadingUrl(true);
    resolveAndOpen(link);
}

void VideoOpenerController::cancel()
{
    if (ViewState *state = m_viewState)
        state->setOpenUrlVisible(false);
}

void VideoOpenerController::followVisibility()
{
    const ViewState *state = m_viewState;
    const bool shown = state && state->openUrlVisible();
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (!shown)
        dialogClosed();
}

// However the dialog went (Cancel, Escape, success), its work goes with it: a resolve still
// running would open a tile nobody asked for any more, and the next showing starts fresh,
// aimed at no tile.
void VideoOpenerController::dialogClosed()
{
    if (m_loader) {
        disconnect(m_loader.get(), nullptr, this, nullptr);
        m_loader.release()->deleteLater();
    }
    ++m_showing;
    if (ViewState *state = m_viewState; state && !state->openToPlayer().isNull())
        state->setOpenToPlayer(QUuid());
    clearForm();
}

std::shared_ptr<VideoMetadata> VideoOpenerController::targetRecord() const
{
    const ViewState *state = m_viewState;
    const LayoutState *layout = m_layoutState;
    if (!state || state->openToPlayer().isNull() || !layout)
        return nullptr;
    const qsizetype index = layout->indexOfVideoMeta(state->openToPlayer());
    return index < 0 ? nullptr : layout->videoMetas().at(index);
}

bool VideoOpenerController::opensIntoTile() const
{
    const ViewState *state = m_viewState;
    return state && !state->openToPlayer().isNull();
}

// The tile the dialog was opened for is gone: say so, and let the next attempt open a new
// tile instead of aiming at nothing again.
void VideoOpenerController::showOpenFailure()
{
    ViewState *state = m_viewState;
    if (state && !state->openToPlayer().isNull() && !targetRecord())
        state->setOpenToPlayer(QUuid());
    setErrorMessage(tr("Failed to open video. Please check the URL and try again."));
    setLoadingUrl(false);
    setLoadingText(QString());
}

void VideoOpenerController::openDirectUrl(const QUrl &url)
{
    const std::optional<QUrl> authenticated = authenticatedUrl(url, m_username, m_password);
    if (!authenticated || !canDeliver())
        return;
    if (m_saveCredentials && !opensIntoTile()) {
        const QUrl components(authenticated->toString(QUrl::FullyEncoded));
        if (components.isValid() && !components.userName().isNull() &&
            !components.password().isNull() && !components.host().isEmpty())
            storeCredentials(components.host(), components.userName(), components.password());
    }
    deliver(directLinkRecord(*m_engine, *authenticated));
}

// Whether a record can be built and has a place to go; says why not when it cannot.
bool VideoOpenerController::canDeliver()
{
    if (!m_engine || !m_layoutState) {
        qCWarning(lcVideoOpener, "No media engine or window state to open into");
        showOpenFailure();
        return false;
    }
    if (opensIntoTile() && !targetRecord()) {
        qCWarning(lcVideoOpener, "The tile to open into is gone");
        showOpenFailure();
        return false;
    }
    return true;
}

// Into the tile the dialog was opened for, whose player binding plays the record in the old
// one's place, or into a new tile.
void VideoOpenerController::deliver(const std::shared_ptr<VideoMetadata> &record)
{
    if (!record) {
        showOpenFailure();
        return;
    }
    if (opensIntoTile()) {
        targetRecord()->setReplacement(record);
        QMetaObject::invokeMethod(this, &VideoOpenerController::finishReplacement,
                                  Qt::QueuedConnection);
        return;
    }
    m_layoutState->appendVideoMeta(record);
    resetDialog();
}

std::optional<QUrl> VideoOpenerController::authenticatedUrl(const QUrl &url,
                                                            const QString &username,
                                                            const QString &password)
{
    if (username.isEmpty() && password.isEmpty())
        return url;
    if (m_saveCredentials && !url.host().isEmpty())
        storeCredentials(url.host(), username, password);
    std::optional<QUrl> result = urlWithCredentials(url, username, password);
    if (!result)
        setErrorMessage(tr("Failed to create authenticated URL"));
    return result;
}

void VideoOpenerController::storeCredentials(const QString &server, const QString &username,
                                             const QString &password)
{
    storeCredentialsLater({.server = server, .username = username, .password = password}, this,
                          [this](std::optional<KeychainError> error) {
                              if (!error) {
                                  qCInfo(lcVideoOpener, "credentials saved");
                                  return;
                              }
                              qCWarning(lcVideoOpener, "failed to save credentials");
                              setFailedToSaveCredentials(true);
                          });
}

void VideoOpenerController::resolveAndOpen(const QString &link)
{
    m_loader = buildResolverRequest(m_url, link, m_resolverTiming);
    connect(m_loader.get(), &UrlLoader::loaded, this,
            [this, link](const QStringList &urls) { resolved(urls, link); });
    connect(m_loader.get(), &UrlLoader::failed, this, [this] { showOpenFailure(); });
    m_loader->load();
}

void VideoOpenerController::resolved(const QStringList &urls, const QString &link)
{
    if (!canDeliver())
        return;
    deliver(resolvedRecord(*m_engine, urls, link, this, [this, showing = m_showing] {
        // Only the showing that asked shows the error; a closed one starts afresh.
        if (showing == m_showing && m_shown)
            showOpenFailure();
    }));
}

void VideoOpenerController::resetDialog()
{
    if (ViewState *state = m_viewState)
        state->setOpenUrlVisible(false);
    clearForm();
}

void VideoOpenerController::clearForm()
{
    setCredentials(QString(), QString(), QString());
    setSaveCredentials(false);
    m_videoUrl.clear();
    m_lookedUpHost.clear();
    emit videoUrlChanged();
    setErrorMessage(QString());
    setLoadingUrl(false);
    setLoadingText(QString());
}

void VideoOpenerController::finishReplacement()
{
    if (ViewState *state = m_viewState)
        state->setOpenToPlayer(QUuid());
    resetDialog();
}

} // namespace marquetrix
