#include "vlcmedialistplayer.h"

#include "logging.h"
#include "vlcmedia.h"
#include "vlcmedialist.h"
#include "vlcmediaplayer.h"

namespace marquetrix {

VlcMediaListPlayer::VlcMediaListPlayer(std::shared_ptr<VlcInstance> instance,
                                       const QStringList &options,
                                       std::chrono::milliseconds progressTimeout)
    : m_options(options),
      m_player(std::make_unique<VlcMediaPlayer>(std::move(instance), this, progressTimeout))
{
}

VlcMediaListPlayer::~VlcMediaListPlayer() = default;

void VlcMediaListPlayer::setMediaList(std::shared_ptr<MediaList> list)
{
    m_list = std::move(list);
}

void VlcMediaListPlayer::setRootMedia(std::shared_ptr<Media> media)
{
    m_list = std::make_shared<VlcMediaList>(QList<std::shared_ptr<Media>>{std::move(media)});
}

void VlcMediaListPlayer::setRepeatMode(int mode)
{
    if (mode != 0 && mode != 1)
        qCWarning(lcEngine) << "Unknown repeat mode" << mode << "- repeat is off";
    m_player->setRepeat(mode == 1);
}

void VlcMediaListPlayer::play()
{
    const std::shared_ptr<Media> item = m_list ? m_list->mediaAtIndex(0) : nullptr;
    if (!item) {
        qCDebug(lcEngine) << "Nothing to play: the media list is empty";
        return;
    }
    auto media = std::dynamic_pointer_cast<VlcMedia>(item);
    if (!media) {
        qCWarning(lcEngine) << "Cannot play a media that libVLC did not make";
        return;
    }
    if (media != m_player->currentMedia()) {
        media->addOptions(m_options);
        m_player->setMedia(media);
    }
    m_player->play();
}

void VlcMediaListPlayer::pause()
{
    m_player->pause();
}

void VlcMediaListPlayer::stop()
{
    m_player->stop();
}

MediaPlayer *VlcMediaListPlayer::mediaPlayer() const
{
    return m_player.get();
}

} // namespace marquetrix
