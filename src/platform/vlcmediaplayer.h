#pragma once

#include "mediaplayer.h"

#include <QObject>
#include <QSize>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>

struct libvlc_event_t;
struct libvlc_media_player_t;

namespace marquetrix {

class MediaListPlayer;
class VlcAudioOutput;
class VlcFrameWriter;
class VlcInstance;
class VlcMedia;
class VlcVideoSize;

// One libVLC player. libVLC reports from its own threads; every report is copied and
// posted to the GUI thread, where the state is kept and the delegate is told, so the
// delegate always sees a state that matches the event it handles.
//
// Each start of playback is a run. Reports carry the run they belong to, and reports of a
// run we abandoned (stopped, restarted, timed out) are dropped on arrival.
class VlcMediaPlayer : public MediaPlayer
{
public:
    VlcMediaPlayer(std::shared_ptr<VlcInstance> instance, MediaListPlayer *owner,
                   std::chrono::milliseconds networkOpenTimeout);
    ~VlcMediaPlayer() override;

    void setDelegate(MediaPlayerDelegate *delegate) override { m_delegate = delegate; }
    QVideoSink *drawable() const override;
    void setDrawable(QVideoSink *sink) override;
    bool isPlaying() const override;
    void pause() override;
    PlaybackState state() const override { return m_state; }
    Media *media() const override;
    std::optional<qint64> time() const override;
    void jumpBackward(int seconds) override;
    void jumpForward(int seconds) override;
    void setVideoCropGeometry(const std::optional<QString> &geometry) override;
    AudioOutput *audio() override;

    std::shared_ptr<VlcMedia> currentMedia() const { return m_media; }
    void setMedia(std::shared_ptr<VlcMedia> media);
    // Resumes a paused run and leaves a run under way alone; otherwise, also after the end
    // or an error, starts the media from its beginning.
    void play();
    // Stops at once; the Stopped state reaches the delegate as an event.
    void stop();
    // With repeat, a run that ends starts again.
    void setRepeat(bool repeat) { m_repeat = repeat; }

private:
    enum class Report
    {
        Opening,
        Playing,
        Paused,
        Stopped,
        EndReached,
        EncounteredError,
        TimeChanged,
        TracksChanged,
        PictureShown,
    };

    static void onEvent(const libvlc_event_t *event, void *data);
    void post(Report report, qint64 value = 0);
    void handle(Report report, qint64 value);

    void startRun();
    void halt();
    void fail(const QString &reason);
    void markProgress();
    void refreshTracks();
    void changeState(PlaybackState state);
    void tellStateChanged();
    QString describeMedia() const;

    std::shared_ptr<VlcInstance> m_instance;
    MediaListPlayer *m_owner;
    libvlc_media_player_t *m_player = nullptr;
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<VlcFrameWriter> m_writer;
    std::unique_ptr<VlcAudioOutput> m_audio;
    std::unique_ptr<VlcVideoSize> m_videoSize;
    std::shared_ptr<VlcMedia> m_media;
    MediaPlayerDelegate *m_delegate = nullptr;
    QTimer m_openTimer;

    PlaybackState m_state = PlaybackState::Stopped;
    std::atomic<quint64> m_run{0};
    bool m_engineStarted = false; // libVLC was told to play and not yet to stop
    bool m_active = false;        // the current run has neither ended nor failed
    bool m_pendingPause = false;
    bool m_progressed = false;
    bool m_repeat = false;
};

} // namespace marquetrix
