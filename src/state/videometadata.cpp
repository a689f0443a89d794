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

float VideoMetadata::effectiveAspectRatio() const
{
    if (m_overriddenAR != 0)
        return m_overriddenAR;
    // A size the engine never reports as zero; guarded so the layout never sees inf or NaN.
    if (m_width <= 0 || m_height <= 0)
        return 16.0f / 9.0f;
    return static_cast<float>(m_width) / static_cast<float>(m_height);
}

} // namespace marquetrix
