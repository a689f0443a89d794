#include "playerstate.h"

#include "statelogging.h"

#include <QDebug>

namespace marquetrix {

PlayerState::PlayerState(QObject *parent) : QObject(parent) {}

PlayerState::PlayerState(std::shared_ptr<VideoMetadata> videoMeta, QObject *parent)
    : QObject(parent)
{
    setVideoMeta(std::move(videoMeta));
    seedFromRecord();
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
}

} // namespace marquetrix
