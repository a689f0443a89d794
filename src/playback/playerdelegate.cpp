#include "playerdelegate.h"

#include "lastpathcomponent.h"
#include "media.h"
#include "mediaplayer.h"
#include "playbacklogging.h"
#include "playerstate.h"

namespace marquetrix {

PlayerDelegate::PlayerDelegate(PlayerState *playerState) : m_playerState(playerState) {}

void PlayerDelegate::mediaPlayerStateChanged(MediaPlayer *player)
{
    if (!player) {
        qCWarning(lcPlayerDelegate) << "No player found to update time";
        return;
    }
    PlayerState *tile = m_playerState;
    VideoMetadata *meta = tile ? tile->videoMeta() : nullptr;
    if (!meta)
        return;

    const PlaybackState state = player->state();
    const bool stopped = state == PlaybackState::Ended || state == PlaybackState::Error;
    if (stopped && player->media() && m_reconnection.absorb(*player->media(), *meta)) {
        m_lastPlayerState = state;
        return;
    }
    if (state == PlaybackState::Ended) {
        qCDebug(lcPlayerDelegate) << "Ended";
        meta->setEnded(true);
    } else if (state == PlaybackState::Error) {
        qCWarning(lcPlayerDelegate) << "Playback error";
        meta->setError(true);
    }

    // Only the event that follows the end while the player still stands at it ends the play
    // wish: an event of a new run means the user (or a window-wide command) started the
    // video again, and pausing it then would stop it a moment after it started.
    if (m_lastPlayerState == PlaybackState::Ended && state == PlaybackState::Ended &&
        !tile->repeatEnabled()) {
        meta->setEnded(true);
        meta->setDoPause(true);
    }
    // A video playing again is no longer at its end: a later play keeps its position.
    if (state == PlaybackState::Playing)
        meta->setEnded(false);

    takeVideoSize(*player, *tile, *meta);
    m_lastPlayerState = player->state();
}

void PlayerDelegate::takeVideoSize(const MediaPlayer &player, PlayerState &tile,
                                   VideoMetadata &meta)
{
    const Media *media = player.media();
    if (!media)
        return;
    // A live playlist's length is that of its window, which moves on.
    meta.setMediaLength(meta.liveSource()
                            ? 0.0f
                            : static_cast<float>(static_cast<qint32>(media->length())) / 1000.0f);

    for (const TrackInformation &track : media->tracksInformation()) {
        if (!track.videoWidth || !track.videoHeight)
            continue;
        const qint64 width = *track.videoWidth;
        const qint64 height = *track.videoHeight;
        if ((width == meta.width() && height == meta.height()) || width == 0 || height == 0)
            continue;
        tile.setVideoLoaded(true);
        meta.setVideoLoaded(true);
        meta.setVideoSize(width, height);
    }
}

void PlayerDelegate::mediaPlayerTimeChanged(MediaPlayer *player)
{
    if (!player) {
        qCWarning(lcPlayerDelegate) << "No player found to update time";
        return;
    }
    PlayerState *tile = m_playerState;
    VideoMetadata *meta = tile ? tile->videoMeta() : nullptr;
    if (!meta)
        return;
    const std::optional<qint64> time = player->time();
    // A live source that came back starts a new timeline.
    if (time && *time > 0 && player->isPlaying() && m_reconnection.progressed(*meta))
        tile->setPosition(0);
    // While a seek waits for the player binding, the requested position is the one to keep:
    // the engine's time would overwrite it before the jump is made.
    if (!time || meta->positionChanged())
        return;
    const auto milliseconds = static_cast<qint32>(*time);
    if (tile->position() / 200.0f >= static_cast<float>(milliseconds) / 200.0f)
        return;
    tile->setPosition(static_cast<float>(milliseconds) / 1000.0f);

    if (!meta->loading() || milliseconds < 2)
        return;
    meta->setLoading(false);

    const Media *media = player->media();
    if (!media)
        return;
    if (lastPathComponent(media->url()).endsWith(QLatin1String(".m3u8"))) {
        // A live playlist that starts advancing may stay black until the player seeks once.
        qCInfo(lcPlayerDelegate) << "Jumping to ensure no black screen";
        player->jumpBackward(1);
    }
}

void PlayerDelegate::mediaListPlayerNextMedia(MediaListPlayer *, Media *) {}

} // namespace marquetrix
