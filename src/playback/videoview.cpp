#include "videoview.h"

#include "followedstate.h"

#include "audiooutput.h"
#include "layoutstate.h"
#include "medialist.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "playbacklogging.h"
#include "playerdelegate.h"
#include "playerstate.h"
#include "snapshotfile.h"
#include "viewstate.h"

#include <QHash>
#include <QMetaMethod>
#include <QVideoFrame>

namespace marquetrix {

namespace {

// Which view's delegate each player reports to: a rebuilt tile sets its own delegate
// before the old view is gone, and the old view must not unset it then.
QHash<const MediaPlayer *, const VideoView *> &delegateOwners()
{
    static QHash<const MediaPlayer *, const VideoView *> owners;
    return owners;
}

// Gives the player its surface. The sink belongs to the tile's VideoPicture and may go before
// the player does; the player must then stop drawing into it, whatever became of this view.
void setSurface(const std::shared_ptr<MediaListPlayer> &listPlayer, QVideoSink *sink)
{
    listPlayer->mediaPlayer()->setDrawable(sink);
    if (!sink)
        return;
    std::weak_ptr<MediaListPlayer> weakPlayer = listPlayer;
    QObject::connect(sink, &QObject::destroyed, [weakPlayer](QObject *gone) {
        const auto owner = weakPlayer.lock();
        if (MediaPlayer *player = owner ? owner->mediaPlayer() : nullptr) {
            if (player->drawable() == gone)
                player->setDrawable(nullptr);
        }
    });
}

// A scheduled step that uses nothing of the view: removing the record from the window's list
// may take the tile, and the view with it, away at once.
void tearDown(const QPointer<PlayerState> &tileState, const QPointer<LayoutState> &layoutState,
              const std::shared_ptr<VideoMetadata> &meta,
              const std::shared_ptr<MediaListPlayer> &listPlayer)
{
    // Two close requests seen before the first teardown ran still tear down once.
    if (meta->isClosed())
        return;
    meta->setIsClosed(true);
    if (PlayerState *state = tileState)
        state->setPlaying(false);
    if (LayoutState *layout = layoutState)
        layout->removeVideoMeta(meta->id());
    listPlayer->stop();
    if (const std::shared_ptr<MediaList> list = listPlayer->mediaList(); list && list->count() >= 1)
        list->removeMediaAtIndex(0);
    if (MediaPlayer *player = listPlayer->mediaPlayer())
        player->setDrawable(nullptr);
    qCInfo(lcVideoView) << "Removed media player";
}

bool holdsMedia(const MediaListPlayer &listPlayer)
{
    const std::shared_ptr<MediaList> list = listPlayer.mediaList();
    return list && list->count() >= 1 && list->mediaAtIndex(0);
}

} // namespace

VideoView::VideoView(QObject *parent) : QObject(parent) {}

VideoView::~VideoView()
{
    detach();
}

void VideoView::setPlayerState(PlayerState *value)
{
    // The delegate is bound to this tile state: it is made again for the new one.
    detach();
    followState(m_playerState, value, this);
    observe(value);
    emit playerStateChanged();
    scheduleUpdate();
}

void VideoView::setViewState(ViewState *value)
{
    followState(m_viewState, value, this);
    observe(value);
    emit viewStateChanged();
    scheduleUpdate();
}

void VideoView::setLayoutState(LayoutState *value)
{
    detach();
    followState(m_layoutState, value, this);
    observe(value);
    emit layoutStateChanged();
    scheduleUpdate();
}

void VideoView::setDrawable(QVideoSink *value)
{
    m_drawable = value;
    // A player that already shows its picture somewhere keeps showing it, now in this sink.
    const MediaPlayer *player = m_listPlayer ? m_listPlayer->mediaPlayer() : nullptr;
    if (player && player->drawable() && player->drawable() != value)
        setSurface(m_listPlayer, value);
    emit drawableChanged();
    scheduleUpdate();
}

void VideoView::observe(QObject *source)
{
    if (!source)
        return;
    const QMetaMethod slot =
        staticMetaObject.method(staticMetaObject.indexOfSlot("scheduleUpdate()"));
    const QMetaObject *meta = source->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.hasNotifySignal())
            connect(source, property.notifySignal(), this, slot, Qt::UniqueConnection);
    }
}

void VideoView::scheduleUpdate()
{
    if (m_updateQueued)
        return;
    m_updateQueued = true;
    QMetaObject::invokeMethod(this, &VideoView::update, Qt::QueuedConnection);
}

template <typename Step> void VideoView::schedule(Step step)
{
    ++m_stepsInFlight;
    QMetaObject::invokeMethod(
        this,
        [this, step = std::move(step)]() mutable {
            --m_stepsInFlight;
            step();
        },
        Qt::QueuedConnection);
}

void VideoView::schedulePlayerState(void (PlayerState::*setter)(bool), bool value)
{
    schedule([state = m_playerState, setter, value] {
        if (PlayerState *tile = state)
            (tile->*setter)(value);
    });
}

void VideoView::scheduleCroppingDone(bool restored)
{
    schedule([state = m_playerState, restored] {
        if (PlayerState *tile = state) {
            tile->setChangeCropping(QString());
            if (restored)
                tile->setRestoreCropping(false);
        }
    });
}

void VideoView::attach(const std::shared_ptr<MediaListPlayer> &listPlayer)
{
    if (m_listPlayer == listPlayer)
        return;
    detach();
    m_listPlayer = listPlayer;
    m_repeatApplied = false;
    m_delegate = std::make_unique<PlayerDelegate>(m_playerState);
    MediaPlayer *player = listPlayer->mediaPlayer();
    if (!player)
        return;
    player->setDelegate(m_delegate.get());
    delegateOwners().insert(player, this);
    // A rebuilt tile keeps the picture its player already had.
    if (player->drawable() && m_drawable && player->drawable() != m_drawable)
        setSurface(listPlayer, m_drawable);
}

void VideoView::observeRecord(VideoMetadata *meta)
{
    if (m_observedMeta == meta)
        return;
    if (m_observedMeta)
        m_observedMeta->disconnect(this);
    m_observedMeta = meta;
    // A sync group steers the record, not the tile: its requests must not wait for the tick.
    connect(meta, &VideoMetadata::seekTargetChanged, this, &VideoView::scheduleUpdate);
    connect(meta, &VideoMetadata::syncRateChanged, this, &VideoView::scheduleUpdate);
}

void VideoView::detach()
{
    if (MediaPlayer *player = m_listPlayer ? m_listPlayer->mediaPlayer() : nullptr) {
        if (delegateOwners().value(player) == this) {
            player->setDelegate(nullptr);
            delegateOwners().remove(player);
        }
    }
    m_listPlayer.reset();
    m_delegate.reset();
}

void VideoView::update()
{
    m_updateQueued = false;
    if (m_stepsInFlight > 0) {
        // The steps of the previous pass have not run yet; acting now would repeat them.
        scheduleUpdate();
        return;
    }
    PlayerState *state = m_playerState;
    if (!state)
        return;
    const ViewState *view = m_viewState;
    const std::shared_ptr<VideoMetadata> meta = state->videoMetaRef();
    const std::shared_ptr<MediaListPlayer> listPlayer = meta ? meta->mediaPlayer() : nullptr;
    MediaPlayer *player = listPlayer ? listPlayer->mediaPlayer() : nullptr;
    if (!view || !m_layoutState || !player) {
        if (!m_warnedIncomplete)
            qCWarning(lcVideoView) << "Video view without its window state or player";
        m_warnedIncomplete = true;
        return;
    }
    attach(listPlayer);
    observeRecord(meta.get());

    if (view->isClosed() || state->isClosed()) {
        if (!meta->isClosed()) {
            qCInfo(lcVideoView) << "Player closed";
            schedule([tileState = m_playerState, layoutState = m_layoutState, meta, listPlayer] {
                tearDown(tileState, layoutState, meta, listPlayer);
            });
        }
        return;
    }
    applyWindowWideRequests(*meta);
    if (meta->replacement()) {
        replace(meta);
        return;
    }
    applyPlayRequests(*state, meta, *listPlayer, *player);
    applyCropping(*state, *meta, *player);
    applySeek(*state, meta, *player);
    applySpeed(*state, *meta, *player);
    applySnapshot(meta, *player);
    applySubtitles(*meta, *player);
    applyPlayState(*state, *meta, listPlayer, *player);
    applyAudio(*state, *meta, listPlayer, *player);
    applySurface(*state, listPlayer, *player);
}

void VideoView::applyWindowWideRequests(VideoMetadata &meta)
{
    if (meta.globalRepeatEnabled()) {
        schedulePlayerState(&PlayerState::setRepeatEnabled, true);
        meta.setGlobalRepeatEnabled(false);
    }
    if (meta.globalRepeatDisabled()) {
        schedulePlayerState(&PlayerState::setRepeatEnabled, false);
        meta.setGlobalRepeatDisabled(false);
    }
    if (meta.globalMuteEnabled()) {
        schedulePlayerState(&PlayerState::setMuted, true);
        meta.setGlobalMuteEnabled(false);
    }
    if (meta.globalMuteDisabled()) {
        schedulePlayerState(&PlayerState::setMuted, false);
        meta.setGlobalMuteDisabled(false);
    }
}

void VideoView::replace(const std::shared_ptr<VideoMetadata> &meta)
{
    // Like the teardown, the step uses nothing of the view: the list change may rebuild tiles.
    schedule([tileState = m_playerState, layoutState = m_layoutState, meta,
              next = meta->takeReplacement()] {
        next->continueFrom(*meta);
        if (PlayerState *state = tileState)
            next->setRepeatEnabled(state->repeatEnabled());
        // Looked up now rather than when the request was seen: the list may have been
        // reordered in between, and the new video takes the old one's place.
        if (LayoutState *layout = layoutState) {
            if (const qsizetype index = layout->indexOfVideoMeta(meta->id()); index >= 0)
                layout->insertVideoMeta(index, next);
        }
        if (PlayerState *state = tileState)
            state->setIsClosed(true);
    });
}

void VideoView::applyPlayRequests(const PlayerState &state,
                                  const std::shared_ptr<VideoMetadata> &meta,
                                  MediaListPlayer &listPlayer, MediaPlayer &player)
{
    if (meta->forcePlay()) {
        schedulePlayerState(&PlayerState::setPlaying, true);
        meta->setForcePlay(false);
    }
    meta->setPlaying(state.playing());

    if (meta->doPause()) {
        listPlayer.pause();
        schedule([meta, tileState = m_playerState] {
            meta->setDoPause(false);
            if (PlayerState *tile = tileState)
                tile->setPlaying(false);
        });
    }
    // The mode is never set back: without repeat, the end of the media pauses the tile.
    if (state.repeatEnabled() && !m_repeatApplied) {
        listPlayer.setRepeatMode(1);
        m_repeatApplied = true;
    }
    // A new tile starts before it has a surface; it starts again once the surface is there.
    if (state.justOpened() && player.isPlaying()) {
        player.pause();
        schedulePlayerState(&PlayerState::setJustOpened, false);
    }
}

void VideoView::applyCropping(const PlayerState &state, VideoMetadata &meta, MediaPlayer &player)
{
    const QString cropping = state.changeCropping();
    if (!cropping.isEmpty()) {
        player.setVideoCropGeometry(cropping);
        if (cropping == QLatin1String("16:9"))
            meta.setOverriddenAR(16.0f / 9.0f);
        else if (cropping == QLatin1String("9:16"))
            meta.setOverriddenAR(0.5625f);
        scheduleCroppingDone(false);
    }
    if (state.restoreCropping()) {
        player.setVideoCropGeometry(std::nullopt);
        meta.setOverriddenAR(0);
        scheduleCroppingDone(true);
    }
}

void VideoView::applySeek(const PlayerState &state, const std::shared_ptr<VideoMetadata> &meta,
                          MediaPlayer &player)
{
    if (meta->positionChanged()) {
        // The engine seeks relatively by whole seconds, truncated towards zero. A seek asked
        // before the engine knows its time (a restored tile's start) waits for it.
        if (const std::optional<qint64> time = player.time()) {
            const auto now = static_cast<float>(*time);
            const float target = state.position() * 1000.0f;
            if (target <= now)
                player.jumpBackward(static_cast<int>(static_cast<qint64>(now - target) / 1000));
            else
                player.jumpForward(static_cast<int>(static_cast<qint64>(target - now) / 1000));
            schedule([meta] { meta->setPositionChanged(false); });
        }
    }
    const qint64 target = meta->seekTarget();
    const PlaybackState now = player.state();
    // An exact seek waits, like the one above, until the player has a place to seek from.
    if (target >= 0 && (now == PlaybackState::Playing || now == PlaybackState::Paused)) {
        player.seekTo(target);
        schedule([meta, target] {
            if (meta->seekTarget() == target)
                meta->setSeekTarget(-1);
        });
    }
    if (!state.editingPosition() && state.position() != state.displayedPosition()) {
        schedule([tileState = m_playerState] {
            if (PlayerState *tile = tileState)
                tile->setDisplayedPosition(tile->position());
        });
    }
}

void VideoView::applySpeed(const PlayerState &state, const VideoMetadata &meta, MediaPlayer &player)
{
    if (const float rate = meta.rate() * meta.syncRate(); player.rate() != rate)
        player.setRate(rate);
    if (state.stepFrame()) {
        // A playing tile has no single next picture to show.
        if (!player.isPlaying())
            player.nextFrame();
        schedulePlayerState(&PlayerState::setStepFrame, false);
    }
}

void VideoView::applySubtitles(const VideoMetadata &meta, MediaPlayer &player)
{
    const QUrl wanted = meta.subtitlesShown() ? meta.subtitleFile() : QUrl();
    if (player.subtitleFile() != wanted)
        player.setSubtitleFile(wanted);
}

void VideoView::applySnapshot(const std::shared_ptr<VideoMetadata> &meta, const MediaPlayer &player)
{
    if (!meta->snapshotRequested())
        return;
    const QImage image = player.picture();
    const QString saved =
        SnapshotFile::save(image, SnapshotFile::tileName(meta->title(), player.time().value_or(0)));
    const QString notice = saved.isEmpty()
                               ? tr("Could not save a snapshot of %1").arg(meta->title())
                               : tr("Snapshot saved in %1").arg(SnapshotFile::folder());
    schedule([meta, view = m_viewState, notice] {
        meta->setSnapshotRequested(false);
        if (ViewState *window = view)
            window->setSnapshotNotice(notice);
    });
}

void VideoView::applyPlayState(const PlayerState &state, const VideoMetadata &meta,
                               const std::shared_ptr<MediaListPlayer> &listPlayer,
                               const MediaPlayer &player)
{
    // A pause requested in this pass ends the play wish, although the tile's field changes
    // only in its step: starting the player now would replay an ended video for a moment.
    // A live source that dropped starts again only when its wait is over.
    const bool wish =
        state.playing() && !meta.doPause() && !(m_delegate && m_delegate->reconnectionWaits());
    if (player.isPlaying() && !wish) {
        schedule([listPlayer] {
            qCDebug(lcVideoView) << "listPlayer.pause()";
            listPlayer->pause();
        });
    } else if (!player.isPlaying() && wish && holdsMedia(*listPlayer)) {
        schedule([listPlayer] {
            qCDebug(lcVideoView) << "listPlayer.play()";
            listPlayer->play();
        });
    }
}

void VideoView::applyAudio(const PlayerState &state, VideoMetadata &meta,
                           const std::shared_ptr<MediaListPlayer> &listPlayer, MediaPlayer &player)
{
    // Before playback there is no audio object; the volume is given once it exists.
    const AudioOutput *audio = player.audio();
    const auto volume = static_cast<int>(meta.volume());
    const auto audioNow = [listPlayer]() -> AudioOutput * {
        MediaPlayer *current = listPlayer->mediaPlayer();
        return current ? current->audio() : nullptr;
    };
    if (audio && audio->volume() != volume) {
        schedule([audioNow, volume] {
            if (AudioOutput *output = audioNow())
                output->setVolume(volume);
        });
    }
    meta.setMuted(state.muted());
    const bool muted = state.muted() || state.silenced();
    if (audio && audio->isMuted() != muted) {
        schedule([audioNow, muted] {
            if (AudioOutput *output = audioNow())
                output->setMuted(muted);
        });
    }
}

void VideoView::applySurface(const PlayerState &state,
                             const std::shared_ptr<MediaListPlayer> &listPlayer,
                             const MediaPlayer &player)
{
    QVideoSink *sink = m_drawable;
    if (player.drawable() || !state.videoLoaded() || !sink)
        return;
    setSurface(listPlayer, sink);
    qCInfo(lcVideoView) << "Setting drawable and playing";
    schedule([listPlayer] { listPlayer->play(); });
}

} // namespace marquetrix
