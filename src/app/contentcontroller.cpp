#include "contentcontroller.h"

#include "applogging.h"
#include "linkopener.h"
#include "medialistplayer.h"
#include "secretredaction.h"
#include "tilecontroller.h"
#include "videometadata.h"

namespace marquetrix {

namespace {

constexpr qint64 kShowAfterMs = 2000;
constexpr qint64 kHideAfterMs = 2500;
// A link that neither opens nor fails by then (a resolver that never answers) no longer
// holds up the items after it.
constexpr int kArgumentBoundMs = 60000;
// A notice stays readable when many items fail at once: the rest are counted.
constexpr qsizetype kNoticeLines = 4;

} // namespace

ContentController::ContentController(MediaEngine *engine, QObject *parent)
    : QObject(parent), m_viewState(new ViewState(this)), m_layoutState(new LayoutState(this)),
      m_sync(new TileSync(m_layoutState, this)),
      m_engine(engine), m_clock([] { return QDateTime::currentDateTime(); })
{
    // The window's idle rules tick with its tiles.
    m_idleTimer.setInterval(TileController::tickMilliseconds);
    m_idleTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_idleTimer, &QTimer::timeout, this, &ContentController::tick);
    m_idleTimer.start();
    m_argumentBound.setSingleShot(true);
    m_argumentBound.setInterval(kArgumentBoundMs);
    connect(&m_argumentBound, &QTimer::timeout, this, &ContentController::argumentSettled);
    connect(m_layoutState, &LayoutState::videoMetasChanged, this,
            &ContentController::argumentSettled);
    connect(m_viewState, &ViewState::showFailedToOpenAlertChanged, this,
            &ContentController::argumentSettled);
    connect(m_viewState, &ViewState::showFailedToOpenAlertChanged, this, [this] {
        if (m_viewState->showFailedToOpenAlert() || m_failures.isEmpty())
            return;
        m_failures.clear();
        emit failureNoticeChanged();
    });
    connect(m_layoutState, &LayoutState::videoMetasChanged, this,
            &ContentController::watchForPlaybackErrors);
}

ContentController::~ContentController() = default;

LinkOpener *ContentController::linkOpener()
{
    if (!m_linkOpener && m_engine) {
        m_linkOpener = std::make_unique<LinkOpener>(*m_viewState, *m_layoutState, *m_engine);
        connect(m_linkOpener.get(), &LinkOpener::failed, this, &ContentController::addFailure);
        connect(m_linkOpener.get(), &LinkOpener::playlistRead, this,
                &ContentController::openPlaylistItems);
    }
    if (!m_linkOpener)
        qCWarning(lcContentView, "No media engine to open videos with");
    return m_linkOpener.get();
}

void ContentController::setIsFocused(bool value)
{
    if (m_isFocused == value)
        return;
    m_isFocused = value;
    qCInfo(lcContentView, "ContentView focus changed to %d", int(value));
    emit isFocusedChanged();
}

void ContentController::addVideo(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty()) {
        qCWarning(lcContentView, "Not opening an empty or malformed location");
        return;
    }
    if (LinkOpener *opener = linkOpener())
        opener->open(url);
}

void ContentController::openFiles(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls)
        QMetaObject::invokeMethod(
            this, [this, url] { addVideo(url); }, Qt::QueuedConnection);
}

bool ContentController::handleDrop(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (url.isValid() && !url.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, url] { addVideo(url); }, Qt::QueuedConnection);
    }
    return true;
}

QString ContentController::failureNotice() const
{
    if (m_failures.isEmpty())
        return tr("Failed to open video");
    QStringList lines = m_failures.first(std::min(m_failures.size(), kNoticeLines));
    if (m_failures.size() > kNoticeLines)
        lines.append(tr("and %n more", nullptr, int(m_failures.size() - kNoticeLines)));
    return lines.join(u'\n');
}

void ContentController::addFailure(const QString &notice)
{
    m_failures.append(notice);
    emit failureNoticeChanged();
}

// A tile whose player fails is taken away with the notice: the notice names it.
void ContentController::watchForPlaybackErrors()
{
    QSet<QUuid> present;
    for (const auto &meta : m_layoutState->videoMetas()) {
        const QUuid id = meta->id();
        present.insert(id);
        if (m_watchedRecords.contains(id))
            continue;
        // The record sends the signal: it is alive whenever the slot runs.
        connect(meta.get(), &VideoMetadata::errorChanged, this, [this, id, record = meta.get()] {
            if (!record->error() || !m_watchedRecords.remove(id))
                return;
            addFailure(tr("Cannot play %1").arg(withoutUrlCredentials(record->title())));
        });
    }
    m_watchedRecords = present;
}

void ContentController::openArguments(const QList<QByteArray> &arguments)
{
    QList<OpeningItem> items;
    for (const QByteArray &argument : arguments)
        items.append({argument, {}});
    openItems(items);
}

void ContentController::openItems(const QList<OpeningItem> &items)
{
    m_pendingArguments.append(items);
    if (!m_argumentOpening)
        openNextArgument();
}

void ContentController::openNextArgument()
{
    LinkOpener *opener = linkOpener();
    while (opener && !m_pendingArguments.isEmpty()) {
        const OpeningItem item = m_pendingArguments.takeFirst();
        const LinkOpener::Road road = opener->open(item.argument, item.settings);
        if (road == LinkOpener::Road::Direct || road == LinkOpener::Road::Resolver) {
            m_argumentOpening = true;
            m_argumentBound.start();
            return;
        }
    }
    m_pendingArguments.clear();
    m_expandedPlaylists.clear();
}

// In the playlist's place, before what was given after it.
void ContentController::openPlaylistItems(const QByteArray &path, const QList<OpeningItem> &items)
{
    if (m_expandedPlaylists.contains(path)) {
        qCWarning(lcContentView, "Playlist %s named again; not opening it twice",
                  qUtf8Printable(QString::fromLocal8Bit(path)));
        return;
    }
    m_expandedPlaylists.insert(path);
    m_pendingArguments = items + m_pendingArguments;
    // A playlist picked or dropped outside the queue starts it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_argumentOpening)
                openNextArgument();
        },
        Qt::QueuedConnection);
}

void ContentController::argumentSettled()
{
    if (!m_argumentOpening)
        return;
    m_argumentOpening = false;
    m_argumentBound.stop();
    // After the step that added the tile, so that the next one lands behind it.
    QMetaObject::invokeMethod(this, &ContentController::openNextArgument, Qt::QueuedConnection);
}

void ContentController::showOpenUrl()
{
    m_viewState->setOpenUrlVisible(true);
}

void ContentController::togglePause()
{
    setAllPaused(!m_viewState->globalPause());
}

void ContentController::setAllPaused(bool pause)
{
    if (m_layoutState->videoMetas().isEmpty())
        return;
    m_viewState->setGlobalPause(pause);
    for (const auto &meta : m_layoutState->videoMetas()) {
        meta->setDoPause(pause);
        if (!pause)
            meta->setForcePlay(true);
    }
}

void ContentController::toggleFullScreen()
{
    m_viewState->setLastCursorMove(m_clock());
    emit toggleFullScreenRequested();
}

void ContentController::exitFullscreen()
{
    if (m_layoutState->isFullscreen())
        emit toggleFullScreenRequested();
}

void ContentController::setFullscreen(bool fullscreen)
{
    if (m_layoutState->isFullscreen() == fullscreen)
        return;
    m_layoutState->setIsFullscreen(fullscreen);
    if (!fullscreen) {
        m_viewState->setHideControls(false);
        if (m_pointerHidden) {
            m_pointerHidden = false;
            emit pointerHiddenChanged();
        }
    }
}

void ContentController::setMeasuredArea(qreal width, qreal height)
{
    m_layoutState->setViewWidth(float(width));
    m_layoutState->setViewHeight(float(height));
}

void ContentController::refreshMeasuredArea(qreal width, qreal height)
{
    if (m_layoutState->viewWidth() == float(width) && m_layoutState->viewHeight() == float(height))
        return;
    setMeasuredArea(width, height);
}

void ContentController::pointerMoved(const QPointF &position)
{
    if (m_lastPointer == position)
        return;
    m_lastPointer = position;
    if (m_pointerHidden) {
        m_pointerHidden = false;
        emit pointerHiddenChanged();
    }
    if (!m_layoutState->isFullscreen())
        return;
    const QDateTime now = m_clock();
    if (m_viewState->lastCursorMove().msecsTo(now) > kShowAfterMs) {
        m_viewState->setLastCursorMove(now);
        m_viewState->setHideControls(false);
    }
}

void ContentController::tick()
{
    if (!m_layoutState->isFullscreen())
        return;
    if (m_viewState->lastCursorMove().msecsTo(m_clock()) <= kHideAfterMs)
        return;
    m_viewState->setHideControls(true);
    if (!m_pointerHidden) {
        m_pointerHidden = true;
        emit pointerHiddenChanged();
    }
}

void ContentController::stopAll()
{
    emit stopping();
    for (const auto &meta : m_layoutState->videoMetas()) {
        qCInfo(lcContentView, "View %s disappearing. Stopping player.",
               qUtf8Printable(meta->idText()));
        if (meta->mediaPlayer())
            meta->mediaPlayer()->stop();
    }
    m_layoutState->setVideoMetas({});
}

} // namespace marquetrix
