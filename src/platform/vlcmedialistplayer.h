#pragma once

#include "medialistplayer.h"

#include <QStringList>
#include <chrono>

namespace marquetrix {

class VlcInstance;
class VlcMediaPlayer;

// Plays item 0 of its list on one libVLC player; repeat restarts it at its end.
class VlcMediaListPlayer : public MediaListPlayer
{
public:
    VlcMediaListPlayer(std::shared_ptr<VlcInstance> instance, const QStringList &options,
                       std::chrono::milliseconds progressTimeout);
    ~VlcMediaListPlayer() override;

    void setMediaList(std::shared_ptr<MediaList> list) override;
    std::shared_ptr<MediaList> mediaList() const override { return m_list; }
    void setRootMedia(std::shared_ptr<Media> media) override;
    void setRepeatMode(int mode) override;
    void play() override;
    void pause() override;
    void stop() override;
    MediaPlayer *mediaPlayer() const override;

private:
    QStringList m_options;
    std::shared_ptr<MediaList> m_list;
    std::unique_ptr<VlcMediaPlayer> m_player;
};

} // namespace marquetrix
