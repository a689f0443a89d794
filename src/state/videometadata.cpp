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

std::shared_ptr<VideoMetadata>
VideoMetadata::replacement(const VideoMetadata &current,
                           std::shared_ptr<MediaListPlayer> mediaPlayer, const QString &title)
{
    auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), std::move(mediaPlayer));
    meta->setTitle(title);
    meta->setVolume(current.volume());
    meta->setRepeatEnabled(current.repeatEnabled());
    return meta;
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
