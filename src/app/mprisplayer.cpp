#include "mprisplayer.h"

#include "contentcontroller.h"
#include "media.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "mprisservice.h"
#include "videometadata.h"

#include <QUuid>
#include <algorithm>

namespace marquetrix {

namespace {

constexpr double kMicrosecondsPerSecond = 1e6;
// Tiles keep their volume from 0 to 100; the bus speaks of 0 to 1.
constexpr double kVolumeScale = 100.0;

} // namespace

MprisPlayer::MprisPlayer(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service)
{
}

QString MprisPlayer::playbackStatus() const
{
    if (!m_service->firstTile())
        return QStringLiteral("Stopped");
    return m_service->anyPlaying() ? QStringLiteral("Playing") : QStringLiteral("Paused");
}

QVariantMap MprisPlayer::metadata() const
{
    const auto tile = m_service->firstTile();
    if (!tile)
        return {};
    const QString id = tile->id().toString(QUuid::Id128);
    QVariantMap result{
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(
             QDBusObjectPath(QStringLiteral("/org/marquetrix/Marquetrix/tile/") + id))},
        {QStringLiteral("xesam:title"), tile->title()},
    };
    const MediaPlayer *player = tile->mediaPlayer() ? tile->mediaPlayer()->mediaPlayer() : nullptr;
    if (player && player->media())
        result.insert(QStringLiteral("xesam:url"),
                      player->media()->url().toString(QUrl::RemoveUserInfo));
    if (tile->mediaLength() > 0)
        result.insert(QStringLiteral("mpris:length"),
                      static_cast<qlonglong>(tile->mediaLength() * kMicrosecondsPerSecond));
    return result;
}

double MprisPlayer::volume() const
{
    const auto tile = m_service->firstTile();
    return tile ? tile->volume() / kVolumeScale : 1.0;
}

void MprisPlayer::setVolume(double value)
{
    ContentController *controller = m_service->controller();
    if (!controller)
        return;
    const auto volume = static_cast<float>(std::clamp(value, 0.0, 1.0) * kVolumeScale);
    for (const auto &tile : controller->layoutState()->videoMetas())
        tile->setVolume(volume);
}

qlonglong MprisPlayer::position() const
{
    const auto tile = m_service->firstTile();
    return tile ? static_cast<qlonglong>(tile->position() * kMicrosecondsPerSecond) : 0;
}

bool MprisPlayer::canPlay() const
{
    return m_service->firstTile() != nullptr;
}

void MprisPlayer::Play()
{
    if (ContentController *controller = m_service->controller())
        controller->setAllPaused(false);
}

void MprisPlayer::Pause()
{
    if (ContentController *controller = m_service->controller())
        controller->setAllPaused(true);
}

void MprisPlayer::PlayPause()
{
    if (ContentController *controller = m_service->controller())
        controller->setAllPaused(m_service->anyPlaying());
}

// Tiles are the user's arrangement: stopping keeps them, paused.
void MprisPlayer::Stop()
{
    Pause();
}

void MprisPlayer::OpenUri(const QString &uri)
{
    if (ContentController *controller = m_service->controller())
        controller->openArguments({uri.toUtf8()});
}

} // namespace marquetrix
