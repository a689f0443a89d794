#include "vlcmediaplayer.h"

#include "logging.h"
#include "mediaplayerdelegate.h"
#include "vlcaudiooutput.h"
#include "vlcframewriter.h"
#include "vlcinstance.h"
#include "vlcmedia.h"
#include "vlcreaper.h"
#include "vlcvideosize.h"

#include <QRegularExpression>
#include <vlc/vlc.h>

#include <algorithm>
#include <mutex>

namespace marquetrix {

namespace {

constexpr libvlc_event_e watchedEvents[] = {
    libvlc_MediaPlayerOpening,     libvlc_MediaPlayerPlaying,    libvlc_MediaPlayerPaused,
    libvlc_MediaPlayerStopped,     libvlc_MediaPlayerEndReached, libvlc_MediaPlayerEncounteredError,
    libvlc_MediaPlayerTimeChanged, libvlc_MediaPlayerESAdded,
};

// A stream that ends this close to the length it announced has ended; further from it,
// the connection broke.
constexpr qint64 endSlackMs = 2000;

// libVLC reports its time every 250 to 570 ms; past this much without a report the input
// stalls, and the time no longer goes on with the clock.
constexpr qint64 clockReachMs = 800;

qint64 monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

struct VlcMediaPlayer::Relay
{
    void post(Report report, qint64 value = 0)
    {
        // When libVLC reports, not when the GUI thread gets to it: the time runs on from here.
        const qint64 stamp = monotonicMs();
        std::lock_guard lock(mutex);
        if (player)
            player->post(report, value, stamp);
    }

    std::mutex mutex;
    VlcMediaPlayer *player = nullptr;
};

VlcMediaPlayer::VlcMediaPlayer(std::shared_ptr<VlcInstance> instance, MediaListPlayer *owner,
                               std::chrono::milliseconds progressTimeout)
    : m_instance(std::move(instance)), m_owner(owner), m_relay(std::make_shared<Relay>()),
      m_context(std::make_unique<QObject>())
{
    m_relay->player = this;
    m_stallTimer.setSingleShot(true);
    m_stallTimer.setInterval(progressTimeout);
    QObject::connect(&m_stallTimer, &QTimer::timeout, m_context.get(), [this] {
        if (!m_active || m_state == PlaybackState::Paused)
            return;
        if (!m_progressed)
            fail(QStringLiteral("no progress opening %1 for %2 ms")
                     .arg(describeMedia())
                     .arg(m_stallTimer.interval()));
        else
            fail(QStringLiteral("%1 stopped moving at %2 s; nothing arrived for %3 ms")
                     .arg(describeMedia())
                     .arg(double(m_reached) / 1000.0)
                     .arg(m_stallTimer.interval()));
    });
    if (!m_instance)
        return;
    m_player = libvlc_media_player_new(m_instance->handle());
    if (!m_player) {
        qCWarning(lcEngine, "libVLC could not create a player: %s", libvlc_errmsg());
        return;
    }
    m_writer = std::make_unique<VlcFrameWriter>(
        m_player, [relay = m_relay] { relay->post(Report::PictureShown); });
    m_audio = std::make_unique<VlcAudioOutput>(m_player);
    m_videoSize =
        std::make_unique<VlcVideoSize>(*m_writer, m_context.get(), [this] { refreshTracks(); });
    libvlc_event_manager_t *events = libvlc_media_player_event_manager(m_player);
    for (libvlc_event_e type : watchedEvents)
        libvlc_event_attach(events, type, onEvent, m_relay.get());
}

VlcMediaPlayer::~VlcMediaPlayer()
{
    m_stallTimer.stop();
    {
        std::lock_guard lock(m_relay->mutex);
        m_relay->player = nullptr;
    }
    // Reports still queued for this player, and a size probe under way, die with these.
    m_videoSize.reset();
    m_context.reset();
    if (!m_player)
        return;
    if (m_media)
        m_media->abortFeed();
    m_writer->cancelWaits();
    m_writer->setSink(nullptr);
    // Release joins every libVLC thread of this player: the writer, the relay and the
    // media (a bridged stream's feed) must live until then. The writer is a GUI-thread
    // object and goes there.
    std::shared_ptr<VlcFrameWriter> writer(m_writer.release(),
                                           [](VlcFrameWriter *gone) { gone->deleteLater(); });
    VlcReaper::run([player = m_player, stopped = m_stopped, relay = m_relay, writer,
                    media = m_media, instance = m_instance] {
        if (stopped.valid())
            stopped.wait();
        libvlc_media_player_stop(player);
        libvlc_media_player_release(player);
        VlcReaper::trimHeap();
    });
}

void VlcMediaPlayer::onEvent(const libvlc_event_t *event, void *data)
{
    auto *self = static_cast<Relay *>(data);
    switch (event->type) {
    case libvlc_MediaPlayerOpening:
        self->post(Report::Opening);
        break;
    case libvlc_MediaPlayerPlaying:
        self->post(Report::Playing);
        break;
    case libvlc_MediaPlayerPaused:
        self->post(Report::Paused);
        break;
    case libvlc_MediaPlayerStopped:
        self->post(Report::Stopped);
        break;
    case libvlc_MediaPlayerEndReached:
        self->post(Report::EndReached);
        break;
    case libvlc_MediaPlayerEncounteredError:
        self->post(Report::EncounteredError);
        break;
    case libvlc_MediaPlayerTimeChanged:
        self->post(Report::TimeChanged, event->u.media_player_time_changed.new_time);
        break;
    case libvlc_MediaPlayerESAdded:
        if (event->u.media_player_es_changed.i_type == libvlc_track_video)
            self->post(Report::TracksChanged);
        break;
    default:
        break;
    }
}

void VlcMediaPlayer::post(Report report, qint64 value, qint64 stamp)
{
    // The explicit queued connection matters: libVLC reports Stopped on the thread that
    // calls stop, and a direct call from there would re-enter libVLC and deadlock.
    if (m_halted)
        return;
    const quint64 run = m_run.load();
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, report, value, stamp, run] {
            if (run == m_run.load())
                handle(report, value, stamp);
        },
        Qt::QueuedConnection);
}

void VlcMediaPlayer::handle(Report report, qint64 value, qint64 stamp)
{
    switch (report) {
    case Report::Opening:
        changeState(PlaybackState::Opening);
        break;
    case Report::Playing:
        if (m_pendingPause) {
            m_pendingPause = false;
            libvlc_media_player_set_pause(m_player, 1);
        }
        // Playback goes on from the picture shown, stepped to or not.
        if (m_clockTime >= 0) {
            m_clockTime += m_state == PlaybackState::Paused ? m_stepped : 0;
            m_clockStamp = stamp;
            m_clockRuns = true;
        }
        m_stepped = 0;
        m_audio->refresh();
        giveSubtitle();
        changeState(PlaybackState::Playing);
        watchProgress();
        break;
    case Report::Paused:
        // Nothing is wanted from the source while the user keeps it paused.
        m_stallTimer.stop();
        stopClock(stamp);
        changeState(PlaybackState::Paused);
        // The time stops where the picture did, ahead of libVLC's last report.
        if (m_delegate && m_clockTime >= 0)
            m_delegate->mediaPlayerTimeChanged(this);
        break;
    case Report::Stopped:
        m_active = false;
        m_audio->lost();
        // libVLC follows an end or an error with Stopped; the outcome of the run stands,
        // and this report is the state event that follows it.
        if (m_state == PlaybackState::Ended || m_state == PlaybackState::Error)
            tellStateChanged();
        else
            changeState(PlaybackState::Stopped);
        break;
    case Report::EndReached:
        if (m_state == PlaybackState::Error)
            break;
        m_active = false;
        m_stallTimer.stop();
        stopClock(stamp);
        if (const auto error = m_media->feedError())
            fail(*error);
        // libVLC ends corrupt, truncated and foreign files silently.
        else if (!m_progressed)
            fail(QStringLiteral("%1 ended before showing anything").arg(describeMedia()));
        // And a connection that broke off as if the stream were over.
        else if (endedEarly())
            fail(QStringLiteral("%1 broke off at %2 s of %3 s")
                     .arg(describeMedia())
                     .arg(double(m_reached) / 1000.0)
                     .arg(double(m_media->length()) / 1000.0));
        else {
            changeState(PlaybackState::Ended);
            if (m_repeat) {
                const quint64 run = m_run.load();
                QMetaObject::invokeMethod(
                    m_context.get(),
                    [this, run] {
                        if (run == m_run.load() && m_repeat && m_state == PlaybackState::Ended)
                            startRun();
                    },
                    Qt::QueuedConnection);
            }
        }
        break;
    case Report::EncounteredError:
        fail(m_media->feedError().value_or(
            QStringLiteral("libVLC could not play %1").arg(describeMedia())));
        break;
    case Report::TimeChanged:
        if (value > 0 && value != m_lastTime)
            markProgress();
        m_lastTime = value;
        m_reached = std::max(m_reached, value);
        m_clockTime = value;
        m_clockStamp = stamp;
        m_clockRuns = true;
        m_audio->refresh();
        if (m_delegate)
            m_delegate->mediaPlayerTimeChanged(this);
        break;
    case Report::TracksChanged:
        refreshTracks();
        break;
    case Report::PictureShown:
        markProgress();
        refreshTracks();
        break;
    }
}

void VlcMediaPlayer::setMedia(std::shared_ptr<VlcMedia> media)
{
    if (media == m_media)
        return;
    if (m_engineStarted)
        halt();
    m_media = std::move(media);
    if (!m_player)
        return;
    awaitStop();
    m_videoSize->setMedia(m_media);
    m_writer->setSource(m_media ? m_media->url() : QUrl());
    libvlc_media_player_set_media(m_player, m_media ? m_media->handle() : nullptr);
}

void VlcMediaPlayer::play()
{
    if (!m_media)
        return;
    m_pendingPause = false;
    if (m_active) {
        if (m_state == PlaybackState::Paused)
            libvlc_media_player_set_pause(m_player, 0);
        return;
    }
    startRun();
}

void VlcMediaPlayer::startRun()
{
    // libVLC ignores play after the end of a media until it has been stopped.
    if (m_engineStarted)
        halt();
    ++m_run;
    m_active = true;
    m_subtitleGiven = false;
    m_progressed = false;
    m_lastTime = -1;
    m_reached = 0;
    m_stepped = 0;
    m_clockTime = -1;
    m_clockRuns = false;
    const quint64 run = m_run.load();
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, run, media = m_media] {
            if (run == m_run.load() && m_delegate)
                m_delegate->mediaListPlayerNextMedia(m_owner, media.get());
        },
        Qt::QueuedConnection);
    if (!m_player || !m_media->handle()) {
        const QString reason =
            !m_player ? QStringLiteral("libVLC is not available") : m_media->failure();
        QMetaObject::invokeMethod(
            m_context.get(),
            [this, run, reason] {
                if (run == m_run.load())
                    fail(reason);
            },
            Qt::QueuedConnection);
        return;
    }
    awaitStop();
    m_writer->resetRun();
    m_engineStarted = true;
    m_media->prepareFeed();
    m_halted = false;
    if (libvlc_media_player_play(m_player) != 0) {
        fail(QStringLiteral("libVLC refused to play %1").arg(describeMedia()));
        return;
    }
    // Local files too: libVLC scans a file it cannot read for as long as the file is.
    m_stallTimer.start();
}

void VlcMediaPlayer::halt()
{
    m_stallTimer.stop();
    if (m_media)
        m_media->abortFeed();
    m_writer->cancelWaits();
    m_halted = true;
    ++m_run;
    m_stopped = VlcReaper::run([player = m_player, previous = m_stopped] {
        if (previous.valid())
            previous.wait();
        libvlc_media_player_stop(player);
    });
    m_engineStarted = false;
    m_active = false;
    m_pendingPause = false;
    m_audio->lost();
}

void VlcMediaPlayer::awaitStop()
{
    // Only a player started again right after a stop waits here, for its own stop.
    if (m_stopped.valid())
        m_stopped.wait();
}

void VlcMediaPlayer::stop()
{
    if (!m_engineStarted && !m_active)
        return;
    if (m_engineStarted)
        halt();
    m_active = false;
    const quint64 run = m_run.load();
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, run] {
            if (run == m_run.load())
                changeState(PlaybackState::Stopped);
        },
        Qt::QueuedConnection);
}

void VlcMediaPlayer::pause()
{
    if (!m_active)
        return;
    if (m_state != PlaybackState::Playing && m_state != PlaybackState::Buffering) {
        m_pendingPause = true;
        return;
    }
    if (libvlc_media_player_can_pause(m_player) && !m_media->isLiveFeed()) {
        libvlc_media_player_set_pause(m_player, 1);
        return;
    }
    // A live source cannot pause; libVLC would stop it anyway. Stopping keeps the last
    // picture on the surface, and play starts the source again.
    halt();
    const quint64 run = m_run.load();
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, run] {
            if (run == m_run.load())
                changeState(PlaybackState::Paused);
        },
        Qt::QueuedConnection);
}

void VlcMediaPlayer::fail(const QString &reason)
{
    qCWarning(lcEngine).noquote() << "Playback failed:" << reason;
    if (m_engineStarted && m_active && m_player) {
        // Nothing more of this run is wanted; a stalled open would otherwise stay open.
        halt();
    }
    m_active = false;
    m_stallTimer.stop();
    changeState(PlaybackState::Error);
}

void VlcMediaPlayer::markProgress()
{
    if (!m_progressed && !libvlc_media_player_is_seekable(m_player))
        m_media->markUnseekable();
    m_progressed = true;
    watchProgress();
}

void VlcMediaPlayer::watchProgress()
{
    if (!m_active || m_state == PlaybackState::Paused)
        return;
    // A local file that plays does not stall; a server can stop sending at any moment,
    // with the connection held open, and libVLC then waits for ever.
    if (!m_progressed || m_media->isNetwork())
        m_stallTimer.start();
    else
        m_stallTimer.stop();
}

bool VlcMediaPlayer::endedEarly() const
{
    const qint64 length = m_media->length();
    return m_media->isNetwork() && length > 0 && m_reached + endSlackMs < length;
}

void VlcMediaPlayer::refreshTracks()
{
    if (!m_videoSize)
        return;
    switch (m_videoSize->refresh()) {
    case VlcVideoSize::Outcome::Unchanged:
        break;
    case VlcVideoSize::Outcome::Learned:
        // The size arrives after the state events of the start; one more state event lets
        // the delegate read it.
        tellStateChanged();
        break;
    case VlcVideoSize::Outcome::DrawnWrong:
        if (m_active) {
            qCInfo(lcEngine).noquote()
                << "Restarting" << describeMedia() << "to draw it at its size";
            const bool pausePending = m_pendingPause;
            startRun();
            m_pendingPause = pausePending;
        }
        break;
    }
}

void VlcMediaPlayer::changeState(PlaybackState state)
{
    m_state = state;
    if (m_writer)
        m_writer->setPaused(state == PlaybackState::Paused);
    tellStateChanged();
}

void VlcMediaPlayer::tellStateChanged()
{
    if (m_delegate)
        m_delegate->mediaPlayerStateChanged(this);
}

QString VlcMediaPlayer::describeMedia() const
{
    return m_media ? m_media->url().toDisplayString(QUrl::RemoveUserInfo) : QString();
}

QVideoSink *VlcMediaPlayer::drawable() const
{
    return m_writer ? m_writer->sink() : nullptr;
}

QImage VlcMediaPlayer::picture() const
{
    return m_writer ? m_writer->picture() : QImage();
}

void VlcMediaPlayer::setDrawable(QVideoSink *sink)
{
    if (m_writer)
        m_writer->setSink(sink);
}

bool VlcMediaPlayer::isPlaying() const
{
    return m_state == PlaybackState::Playing || m_state == PlaybackState::Buffering;
}

Media *VlcMediaPlayer::media() const
{
    return m_media.get();
}

std::optional<qint64> VlcMediaPlayer::time() const
{
    if (!m_engineStarted)
        return std::nullopt;
    const qint64 stepped = m_state == PlaybackState::Paused ? m_stepped : 0;
    if (m_clockTime >= 0)
        return clockAt(monotonicMs()) + stepped;
    const libvlc_time_t time = libvlc_media_player_get_time(m_player);
    if (time < 0)
        return std::nullopt;
    return time + stepped;
}

qint64 VlcMediaPlayer::clockAt(qint64 stamp) const
{
    if (!m_clockRuns || m_state != PlaybackState::Playing)
        return m_clockTime;
    const qint64 elapsed = std::clamp<qint64>(stamp - m_clockStamp, 0, clockReachMs);
    return m_clockTime + qint64(double(elapsed) * double(m_rate));
}

void VlcMediaPlayer::stopClock(qint64 stamp)
{
    // libVLC leaves the time it last reported, up to half a second before the picture shown.
    if (m_clockTime >= 0)
        m_clockTime = clockAt(stamp);
    m_clockStamp = stamp;
    m_clockRuns = false;
}

void VlcMediaPlayer::setClock(qint64 time)
{
    // Until libVLC reports from the new place the time stands there: playback starts again
    // only after the picture there is decoded.
    m_clockTime = time;
    m_clockStamp = monotonicMs();
    m_clockRuns = false;
}

void VlcMediaPlayer::jumpBackward(int seconds)
{
    jumpForward(-seconds);
}

void VlcMediaPlayer::jumpForward(int seconds)
{
    const auto now = time();
    if (seconds == 0 || !now)
        return;
    seekTo(*now + qint64(seconds) * 1000);
}

void VlcMediaPlayer::seekTo(qint64 milliseconds)
{
    if (!m_engineStarted)
        return;
    const qint64 target = std::max<qint64>(0, milliseconds);
    // A jump to the end ends the stream there, as if it had played that far.
    m_reached = std::max(m_reached, target);
    m_stepped = 0;
    setClock(target);
    libvlc_media_player_set_time(m_player, target);
}

void VlcMediaPlayer::setVideoCropGeometry(const std::optional<QString> &geometry)
{
    if (!m_writer)
        return;
    if (!geometry || geometry->isEmpty()) {
        m_writer->setCrop(std::nullopt);
        return;
    }
    static const QRegularExpression ratio(QStringLiteral("^(\\d+):(\\d+)$"));
    const QRegularExpressionMatch match = ratio.match(*geometry);
    const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (width <= 0 || height <= 0) {
        qCWarning(lcEngine) << "Ignoring crop geometry" << *geometry << "(expected width:height)";
        return;
    }
    m_writer->setCrop(QSize(width, height));
}

void VlcMediaPlayer::setRate(float rate)
{
    if (!(rate > 0)) {
        qCWarning(lcEngine) << "Ignoring playback rate" << rate;
        return;
    }
    if (m_clockRuns) {
        const qint64 now = monotonicMs();
        m_clockTime = clockAt(now);
        m_clockStamp = now;
    }
    m_rate = rate;
    // libVLC keeps the rate on the player: later runs start at it.
    if (m_player && libvlc_media_player_set_rate(m_player, rate) != 0)
        qCWarning(lcEngine) << "libVLC refused the playback rate" << rate;
}

void VlcMediaPlayer::nextFrame()
{
    const auto now = time();
    if (!m_player || m_state != PlaybackState::Paused || !now)
        return;
    // libVLC steps the picture but leaves the time it reports where it was: the steps are
    // counted here until playback goes on.
    const qint64 frameMs = frameDuration();
    m_stepped += frameMs;
    m_reached = std::max(m_reached, *now + frameMs);
    libvlc_media_player_next_frame(m_player);
    const quint64 run = m_run.load();
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, run] {
            if (run == m_run.load() && m_delegate)
                m_delegate->mediaPlayerTimeChanged(this);
        },
        Qt::QueuedConnection);
}

qint64 VlcMediaPlayer::frameDuration() const
{
    qint64 frameMs = 40;
    if (!m_player || !m_media || !m_media->handle())
        return frameMs;
    libvlc_media_track_t **tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(m_media->handle(), &tracks);
    for (unsigned i = 0; i < count; ++i) {
        const libvlc_media_track_t *track = tracks[i];
        if (track->i_type == libvlc_track_video && track->video->i_frame_rate_num > 0)
            frameMs = std::max<qint64>(1, qint64(track->video->i_frame_rate_den) * 1000 /
                                              track->video->i_frame_rate_num);
    }
    if (tracks)
        libvlc_media_tracks_release(tracks, count);
    return frameMs;
}

void VlcMediaPlayer::setSubtitleFile(const QUrl &file)
{
    if (file == m_subtitle)
        return;
    // Subtitles a video carries itself stay as libVLC chooses until a file was given.
    m_subtitlesOff = file.isEmpty();
    m_subtitle = file;
    m_subtitleGiven = false;
    if (m_state == PlaybackState::Playing || m_state == PlaybackState::Paused)
        giveSubtitle();
}

void VlcMediaPlayer::giveSubtitle()
{
    // libVLC takes a subtitle file into a run under way only: each run is given it anew.
    if (!m_player || m_subtitleGiven)
        return;
    m_subtitleGiven = true;
    if (m_subtitle.isEmpty()) {
        if (m_subtitlesOff)
            libvlc_video_set_spu(m_player, -1);
        return;
    }
    if (libvlc_media_player_add_slave(m_player, libvlc_media_slave_type_subtitle,
                                      m_subtitle.toEncoded().constData(), true) != 0)
        qCWarning(lcEngine) << "libVLC refused the subtitle file" << m_subtitle.toDisplayString();
}

AudioOutput *VlcMediaPlayer::audio()
{
    return m_audio && m_audio->isLive() ? m_audio.get() : nullptr;
}

} // namespace marquetrix
