#pragma once

#include "layoutstate.h"
#include "playerstate.h"
#include "viewstate.h"

#include <QObject>
#include <QPointer>
#include <QVideoSink>
#include <QtQml/qqmlregistration.h>
#include <memory>

namespace marquetrix {

class MediaListPlayer;
class MediaPlayer;
class PlayerDelegate;

// Keeps one tile's player in step with the tile's state. After any change of the tile's
// PlayerState or the window's ViewState and LayoutState it runs the update pass once per
// event-loop turn: it carries out the pending requests on the engine and posts the state
// changes that follow as queued steps, so that nothing a view observes changes while the
// pass runs. It also owns the player's event delegate.
//
// All inputs are required; `drawable` is the sink of the tile's VideoPicture.
// Without a tile state there is nothing to bind, and the pass does nothing.
class VideoView : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit VideoView(QObject *parent = nullptr);
    ~VideoView() override;

    Q_PROPERTY(marquetrix::PlayerState *playerState READ playerState WRITE setPlayerState NOTIFY
                   playerStateChanged REQUIRED)
    PlayerState *playerState() const { return m_playerState; }
    void setPlayerState(PlayerState *value);
    Q_SIGNAL void playerStateChanged();

    Q_PROPERTY(marquetrix::ViewState *viewState READ viewState WRITE setViewState NOTIFY
                   viewStateChanged REQUIRED)
    ViewState *viewState() const { return m_viewState; }
    void setViewState(ViewState *value);
    Q_SIGNAL void viewStateChanged();

    Q_PROPERTY(marquetrix::LayoutState *layoutState READ layoutState WRITE setLayoutState NOTIFY
                   layoutStateChanged REQUIRED)
    LayoutState *layoutState() const { return m_layoutState; }
    void setLayoutState(LayoutState *value);
    Q_SIGNAL void layoutStateChanged();

    Q_PROPERTY(QVideoSink *drawable READ drawable WRITE setDrawable NOTIFY drawableChanged REQUIRED)
    QVideoSink *drawable() const { return m_drawable; }
    void setDrawable(QVideoSink *value);
    Q_SIGNAL void drawableChanged();

    // Runs the update pass now. Passes wait for the steps of the previous one, so a request
    // is carried out once however often this runs.
    void update();
    // Runs the update pass at the next turn of the event loop (once, however often asked).
    Q_SLOT void scheduleUpdate();

private:
    void observe(QObject *source);
    void attach(const std::shared_ptr<MediaListPlayer> &listPlayer);
    void detach();
    void observeRecord(VideoMetadata *meta);
    void applyWindowWideRequests(VideoMetadata &meta);
    void replace(const std::shared_ptr<VideoMetadata> &meta);
    void applyPlayRequests(const PlayerState &state, const std::shared_ptr<VideoMetadata> &meta,
                           MediaListPlayer &listPlayer, MediaPlayer &player);
    void applyCropping(const PlayerState &state, VideoMetadata &meta, MediaPlayer &player);
    void applySeek(const PlayerState &state, const std::shared_ptr<VideoMetadata> &meta,
                   MediaPlayer &player);
    void applySnapshot(const std::shared_ptr<VideoMetadata> &meta, const MediaPlayer &player);
    void applySubtitles(const VideoMetadata &meta, MediaPlayer &player);
    void applySpeed(const PlayerState &state, const VideoMetadata &meta, MediaPlayer &player);
    void applyPlayState(const PlayerState &state, const VideoMetadata &meta,
                        const std::shared_ptr<MediaListPlayer> &listPlayer,
                        const MediaPlayer &player);
    void applyAudio(const PlayerState &state, VideoMetadata &meta,
                    const std::shared_ptr<MediaListPlayer> &listPlayer, MediaPlayer &player);
    void applySurface(const PlayerState &state, const std::shared_ptr<MediaListPlayer> &listPlayer,
                      const MediaPlayer &player);

    template <typename Step> void schedule(Step step);
    void schedulePlayerState(void (PlayerState::*setter)(bool), bool value);
    // Clears the crop request.
    void scheduleCroppingDone(bool restored);

    QPointer<PlayerState> m_playerState;
    QPointer<ViewState> m_viewState;
    QPointer<LayoutState> m_layoutState;
    QPointer<QVideoSink> m_drawable;
    QPointer<VideoMetadata> m_observedMeta;

    // The list player whose events go to m_delegate.
    std::shared_ptr<MediaListPlayer> m_listPlayer;
    std::unique_ptr<PlayerDelegate> m_delegate;
    bool m_repeatApplied = false;
    bool m_updateQueued = false;
    int m_stepsInFlight = 0;
    bool m_warnedIncomplete = false;
};

} // namespace marquetrix
