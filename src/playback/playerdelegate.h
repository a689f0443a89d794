#pragma once

#include "livereconnection.h"
#include "mediaplayerdelegate.h"
#include "playbackstate.h"

#include <QPointer>

namespace marquetrix {

class PlayerState;
class VideoMetadata;

// Keeps a tile's record and state in step with its player's events: end of media, errors,
// duration, picture size (which drives the layout), position and the one-time loading state.
// It writes straight into the tile's PlayerState and record; it holds no copies of their
// values.
class PlayerDelegate : public MediaPlayerDelegate
{
public:
    explicit PlayerDelegate(PlayerState *playerState);

    void mediaPlayerStateChanged(MediaPlayer *player) override;
    void mediaPlayerTimeChanged(MediaPlayer *player) override;
    void mediaListPlayerNextMedia(MediaListPlayer *listPlayer, Media *media) override;

    // A live source that dropped waits for its next start.
    bool reconnectionWaits() const { return m_reconnection.waiting(); }

private:
    void takeVideoSize(const MediaPlayer &player, PlayerState &tile, VideoMetadata &meta);

    QPointer<PlayerState> m_playerState;
    // The state seen at the end of the previous state event: the event after an end of
    // media pauses the tile unless it repeats.
    PlaybackState m_lastPlayerState = PlaybackState::Stopped;
    LiveReconnection m_reconnection;
};

} // namespace marquetrix
