#include "mprisservice.h"

#include "applogging.h"
#include "bringtofront.h"
#include "contentcontroller.h"
#include "mprisplayer.h"
#include "mprisroot.h"
#include "videometadata.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QQuickWindow>

namespace marquetrix {

namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.marquetrix");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

} // namespace

MprisService::MprisService(ContentController *controller, QQuickWindow *window, QObject *parent)
    : QObject(parent), m_controller(controller), m_window(window)
{
    new MprisRoot(this);
    new MprisPlayer(this);
    m_announce.setSingleShot(true);
    m_announce.setInterval(0);
    connect(&m_announce, &QTimer::timeout, this, &MprisService::announceChanges);
    if (controller) {
        connect(controller->layoutState(), &LayoutState::videoMetasChanged, this,
                &MprisService::watchTiles);
        connect(controller->viewState(), &ViewState::globalPauseChanged, &m_announce,
                qOverload<>(&QTimer::start));
    }
    watchTiles();
    m_announced = properties();
}

bool MprisService::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportAdaptors))
        return false;
    if (!bus.registerService(kService)) {
        qCInfo(lcMpris, "Another window answers to the media keys");
        bus.unregisterObject(kPath);
        return false;
    }
    return true;
}

ContentController *MprisService::controller() const
{
    return m_controller;
}

std::shared_ptr<VideoMetadata> MprisService::firstTile() const
{
    const ContentController *controller = m_controller;
    if (!controller || controller->layoutState()->videoMetas().isEmpty())
        return nullptr;
    return controller->layoutState()->videoMetas().constFirst();
}

bool MprisService::anyPlaying() const
{
    const ContentController *controller = m_controller;
    if (!controller)
        return false;
    const auto &tiles = controller->layoutState()->videoMetas();
    return std::any_of(tiles.cbegin(), tiles.cend(),
                       [](const auto &tile) { return tile->playing() && !tile->ended(); });
}

void MprisService::raise()
{
    if (m_window)
        bringToFront(m_window);
}

void MprisService::watchTiles()
{
    for (const auto &connection : std::as_const(m_tileConnections))
        disconnect(connection);
    m_tileConnections.clear();
    if (const ContentController *controller = m_controller) {
        const auto later = qOverload<>(&QTimer::start);
        for (const auto &tile : controller->layoutState()->videoMetas()) {
            const VideoMetadata *record = tile.get();
            m_tileConnections << connect(record, &VideoMetadata::playingChanged, &m_announce, later)
                              << connect(record, &VideoMetadata::endedChanged, &m_announce, later)
                              << connect(record, &VideoMetadata::titleChanged, &m_announce, later)
                              << connect(record, &VideoMetadata::mediaLengthChanged, &m_announce,
                                         later)
                              << connect(record, &VideoMetadata::volumeChanged, &m_announce, later);
        }
    }
    m_announce.start();
}

// What the player interface announces when it changes (the position is read, not announced,
// as the interface defines it).
QVariantMap MprisService::properties() const
{
    const auto *player = findChild<MprisPlayer *>();
    return {
        {QStringLiteral("PlaybackStatus"), player->playbackStatus()},
        {QStringLiteral("Metadata"), player->metadata()},
        {QStringLiteral("Volume"), player->volume()},
        {QStringLiteral("CanPlay"), player->canPlay()},
        {QStringLiteral("CanPause"), player->canPlay()},
    };
}

void MprisService::announceChanges()
{
    const QVariantMap now = properties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_announced = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace marquetrix
