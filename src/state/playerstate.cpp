#include "playerstate.h"

#include "statelogging.h"
#include "tilesettings.h"

#include <QDebug>

namespace marquetrix {

PlayerState::PlayerState(QObject *parent) : QObject(parent)
{
    keepRecordCurrent();
}

PlayerState::PlayerState(std::shared_ptr<VideoMetadata> videoMeta, QObject *parent)
    : QObject(parent)
{
    keepRecordCurrent();
    setVideoMeta(std::move(videoMeta));
    seedFromRecord();
}

// What reads the window's list of records (the saved session, the media-player interface)
// sees where the tile stands and whether it loops.
void PlayerState::keepRecordCurrent()
{
    connect(this, &PlayerState::positionChanged, this, [this] {
        if (m_videoMeta)
            m_videoMeta->setPosition(position());
    });
    connect(this, &PlayerState::repeatEnabledChanged, this, [this] {
        if (m_videoMeta)
            m_videoMeta->setRepeatEnabled(repeatEnabled());
    });
}

void PlayerState::componentComplete()
{
    seedFromRecord();
}

void PlayerState::setVideoMeta(VideoMetadata *value)
{
    std::shared_ptr<VideoMetadata> shared = value ? value->weak_from_this().lock() : nullptr;
    if (value && !shared) {
        // Holding a bare pointer would leave the tile with a dangling record once the
        // window's list lets it go.
        qCWarning(lcState)
            << "PlayerState: ignoring a record that is not held by a shared reference";
        return;
    }
    setVideoMeta(std::move(shared));
}

void PlayerState::setVideoMeta(std::shared_ptr<VideoMetadata> value)
{
    m_videoMeta = std::move(value);
    emit videoMetaChanged();
}

void PlayerState::seedFromRecord()
{
    if (!m_videoMeta)
        return;
    setPosition(m_videoMeta->position());
    setVideoLoaded(m_videoMeta->videoLoaded());
    setPlaying(m_videoMeta->playing());
    setRepeatEnabled(m_videoMeta->repeatEnabled());
    setMuted(m_videoMeta->muted());
    // A crop the record carries (a restored tile) is asked of the new tile's player.
    if (const QString crop = TileSettings::cropFor(m_videoMeta->overriddenAR()); !crop.isEmpty())
        setChangeCropping(crop);
}

} // namespace marquetrix
