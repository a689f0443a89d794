#include "videometadata.h"

namespace marquetrix {

VideoMetadata::VideoMetadata(const QUuid &id, std::shared_ptr<MediaListPlayer> mediaPlayer,
                             std::shared_ptr<MediaPlayer> audioMediaPlayer)
    : m_id(id), m_mediaPlayer(std::move(mediaPlayer)),
      m_audioMediaPlayer(std::move(audioMediaPlayer))
{
}

// Out of line so that the engine types stay incomplete in the header.
VideoMetadata::~VideoMetadata() = default;

void VideoMetadata::continueFrom(const VideoMetadata &current)
{
    setVolume(current.volume());
    setRepeatEnabled(current.repeatEnabled());
}

void VideoMetadata::setReplacement(std::shared_ptr<VideoMetadata> value)
{
    m_replacement = std::move(value);
    emit replacementChanged();
}

std::shared_ptr<VideoMetadata> VideoMetadata::takeReplacement()
{
    auto taken = std::move(m_replacement);
    m_replacement.reset();
    emit replacementChanged();
    return taken;
}

// The fields notify on every assignment, like every field; the shape only on a change.
template <typename T>
void VideoMetadata::assignShape(T &field, T value, void (VideoMetadata::*notify)())
{
    const bool changed = value != field;
    field = value;
    emit(this->*notify)();
    if (changed)
        emit shapeChanged();
}

void VideoMetadata::setWidth(qint64 value)
{
    assignShape(m_width, value, &VideoMetadata::widthChanged);
}

void VideoMetadata::setHeight(qint64 value)
{
    assignShape(m_height, value, &VideoMetadata::heightChanged);
}

void VideoMetadata::setVideoSize(qint64 width, qint64 height)
{
    const bool changed = width != m_width || height != m_height;
    m_width = width;
    m_height = height;
    emit widthChanged();
    emit heightChanged();
    if (changed)
        emit shapeChanged();
}

void VideoMetadata::setOverriddenAR(float value)
{
    assignShape(m_overriddenAR, value, &VideoMetadata::overriddenARChanged);
}

} // namespace marquetrix
