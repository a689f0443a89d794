#pragma once

#include "mediaplayer.h"

#include <QObject>
#include <QSize>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>
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
//
// Stopping and releasing libVLC's player happen off the GUI thread (VlcReaper): both join
// threads that a busy input may hold for seconds.
class VlcMediaPlayer : public MediaPlayer
{
public:
    // A run that shows nothing for progressTimeout fails, and so does a network source
    // whose time stands still that long while it is meant to play.
    VlcMediaPlayer(std::shared_ptr<VlcInstance> instance, MediaListPlayer *owner,
                   std::chrono::milliseconds progressTimeout);
    ~VlcMediaPlayer() override;

    void setDelegate(MediaPlayerDelegate *delegate) override { m_delegate = delegate; }
    QVideoSink *drawable() const override;
    QImage picture() const override;
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
    float rate() const override { return m_rate; }
    void setRate(float rate) override;
    void nextFrame() override;
    qint64 frameDuration() const override;
    void seekTo(qint64 milliseconds) override;
    QUrl subtitleFile() const override { return m_subtitle; }
    void setSubtitleFile(const QUrl &file) override;

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

    // What libVLC's threads call into: it outlives the player, since they may still call
    // while a released player winds down off the GUI thread.
    struct Relay;

    static void onEvent(const libvlc_event_t *event, void *data);
    // `stamp`: when libVLC reported, on the monotonic clock (ms).
    void post(Report report, qint64 value, qint64 stamp);
    void handle(Report report, qint64 value, qint64 stamp);
    qint64 clockAt(qint64 stamp) const;
    void stopClock(qint64 stamp);
    void setClock(qint64 time);

    void startRun();
    void halt();
    void awaitStop();
    void fail(const QString &reason);
    void markProgress();
    void watchProgress();
    bool endedEarly() const;
    void refreshTracks();
    void giveSubtitle();
    void changeState(PlaybackState state);
    void tellStateChanged();
    QString describeMedia() const;

    std::shared_ptr<VlcInstance> m_instance;
    MediaListPlayer *m_owner;
    std::shared_ptr<Relay> m_relay;
    libvlc_media_player_t *m_player = nullptr;
    // The last stop handed to the reaper; libVLC must not be told to play before it is done.
    std::shared_future<void> m_stopped;
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<VlcFrameWriter> m_writer;
    std::unique_ptr<VlcAudioOutput> m_audio;
    std::unique_ptr<VlcVideoSize> m_videoSize;
    std::shared_ptr<VlcMedia> m_media;
    MediaPlayerDelegate *m_delegate = nullptr;
    QTimer m_stallTimer;

    PlaybackState m_state = PlaybackState::Stopped;
    std::atomic<quint64> m_run{0};
    // Set from a halt until the next start: what libVLC reports meanwhile (the Stopped of a
    // stop that runs off the GUI thread) belongs to no run.
    std::atomic<bool> m_halted{false};
    bool m_engineStarted = false; // libVLC was told to play and not yet to stop
    bool m_active = false;        // the current run has neither ended nor failed
    bool m_pendingPause = false;
    bool m_progressed = false;
    bool m_repeat = false;
    float m_rate = 1;
    QUrl m_subtitle;
    bool m_subtitleGiven = false; // to the current run
    bool m_subtitlesOff = false;
    // The run's last reported time and the furthest point it reached or jumped to (ms).
    qint64 m_lastTime = -1;
    qint64 m_reached = 0;
    // The pictures stepped through since the run last played or jumped (ms).
    qint64 m_stepped = 0;
    // The time at m_clockStamp (monotonic ms), from libVLC's last report or the last jump;
    // -1 until the run has one. While m_clockRuns and playing, it goes on with the clock.
    qint64 m_clockTime = -1;
    qint64 m_clockStamp = 0;
    bool m_clockRuns = false;
};

} // namespace marquetrix
