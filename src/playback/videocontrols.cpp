#include "videocontrols.h"

#include "followedstate.h"
#include "playbackrate.h"

#include <algorithm>
#include <cmath>

namespace marquetrix {

namespace {

constexpr float jumpSeconds = 15;

} // namespace

VideoControls::VideoControls(QObject *parent) : QObject(parent) {}

void VideoControls::setPlayerState(PlayerState *value)
{
    followState(m_playerState, value, this);
    if (m_observedMeta)
        m_observedMeta->disconnect(this);
    m_observedMeta = nullptr;
    const auto observeRecord = [this] {
        if (m_observedMeta)
            m_observedMeta->disconnect(this);
        const PlayerState *state = m_playerState;
        m_observedMeta = state ? state->videoMeta() : nullptr;
        if (m_observedMeta) {
            connect(m_observedMeta, &VideoMetadata::mediaLengthChanged, this,
                    &VideoControls::durationTextChanged);
            connect(m_observedMeta, &VideoMetadata::rateChanged, this,
                    &VideoControls::rateTextChanged);
        }
        emit durationTextChanged();
        emit rateTextChanged();
    };
    if (value) {
        connect(value, &PlayerState::positionChanged, this, &VideoControls::positionTextChanged);
        connect(value, &PlayerState::videoMetaChanged, this, observeRecord);
    }
    observeRecord();
    emit playerStateChanged();
    emit positionTextChanged();
}

void VideoControls::setWidth(qreal value)
{
    m_width = value;
    emit widthChanged();
}

VideoControls::WidthClass VideoControls::widthClassFor(qreal width)
{
    if (width >= 350)
        return WidthClass::Wide;
    if (width >= 220)
        return WidthClass::Narrow;
    return WidthClass::Tiny;
}

int VideoControls::spacing() const
{
    if (m_width > 600)
        return 30;
    if (m_width > 500)
        return 24;
    return 20;
}

int VideoControls::titlePadding() const
{
    static constexpr int byClass[] = {30, 15, 2};
    return byClass[static_cast<int>(widthClass())];
}

int VideoControls::rowPadding() const
{
    static constexpr int byClass[] = {30, 5, 1};
    return byClass[static_cast<int>(widthClass())];
}

int VideoControls::rowMinimumWidth() const
{
    static constexpr int byClass[] = {200, 200, 160};
    return byClass[static_cast<int>(widthClass())];
}

int VideoControls::rowMaximumWidth() const
{
    static constexpr int byClass[] = {500, 300, 200};
    return byClass[static_cast<int>(widthClass())];
}

int VideoControls::volumeWidth() const
{
    static constexpr int byClass[] = {60, 40, 30};
    return byClass[static_cast<int>(widthClass())];
}

QString VideoControls::formatTime(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString VideoControls::positionText() const
{
    const PlayerState *state = m_playerState;
    const float position = state ? state->position() : 0.0f;
    return formatTime(std::isfinite(position) ? static_cast<qint64>(position) : 0);
}

QString VideoControls::durationText() const
{
    const PlayerState *state = m_playerState;
    const VideoMetadata *meta = state ? state->videoMeta() : nullptr;
    if (!meta || !std::isfinite(meta->mediaLength()))
        return formatTime(0);
    const auto milliseconds = static_cast<qint64>(double(meta->mediaLength()) * 1000.0);
    // The default rounding mode rounds ties to even.
    return formatTime(static_cast<qint64>(std::nearbyint(double(milliseconds) / 1000.0)));
}

QString VideoControls::rateText() const
{
    const PlayerState *state = m_playerState;
    const VideoMetadata *meta = state ? state->videoMeta() : nullptr;
    if (!meta || meta->rate() == PlaybackRate::normal)
        return {};
    return tr("%1\u00d7").arg(double(meta->rate()));
}

void VideoControls::changeSpeed(int direction)
{
    const PlayerState *state = m_playerState;
    VideoMetadata *meta = state ? state->videoMeta() : nullptr;
    if (meta)
        meta->setRate(PlaybackRate::step(meta->rate(), direction));
}

void VideoControls::snapshot()
{
    const PlayerState *state = m_playerState;
    if (VideoMetadata *meta = state ? state->videoMeta() : nullptr)
        meta->setSnapshotRequested(true);
}

void VideoControls::setSubtitleFile(const QUrl &file)
{
    const PlayerState *state = m_playerState;
    if (VideoMetadata *meta = state ? state->videoMeta() : nullptr) {
        meta->setSubtitleFile(file);
        meta->setSubtitlesShown(true);
    }
}

void VideoControls::toggleSubtitles()
{
    const PlayerState *state = m_playerState;
    if (VideoMetadata *meta = state ? state->videoMeta() : nullptr)
        meta->setSubtitlesShown(!meta->subtitlesShown());
}

void VideoControls::playPause()
{
    PlayerState *state = m_playerState;
    if (!state)
        return;
    VideoMetadata *meta = state->videoMeta();
    if (meta && meta->ended()) {
        state->setPosition(0);
        state->setDisplayedPosition(0);
        meta->setEnded(false);
    }
    state->setPlaying(!state->playing());
}

void VideoControls::requestPosition(PlayerState &state, float position)
{
    state.setPosition(position);
    if (VideoMetadata *meta = state.videoMeta())
        meta->setPositionChanged(true);
}

void VideoControls::jumpBackward()
{
    if (PlayerState *state = m_playerState)
        requestPosition(*state, std::max(0.0f, state->position() - jumpSeconds));
}

void VideoControls::jumpForward()
{
    PlayerState *state = m_playerState;
    if (!state)
        return;
    const VideoMetadata *meta = state->videoMeta();
    const float length = meta ? meta->mediaLength() : 0.0f;
    const float wanted = state->position() + jumpSeconds;
    // A length of 0 is not known yet (or a live stream): clamping to it would jump back to
    // the start.
    requestPosition(*state, length > 0 ? std::min(length, wanted) : wanted);
}

void VideoControls::setEditing(bool editing)
{
    PlayerState *state = m_playerState;
    if (!state)
        return;
    state->setEditingPosition(editing);
    if (!editing)
        requestPosition(*state, state->displayedPosition());
}

void VideoControls::toggleMute()
{
    if (PlayerState *state = m_playerState)
        state->setMuted(!state->muted());
}

void VideoControls::close()
{
    if (PlayerState *state = m_playerState)
        state->setIsClosed(true);
}

} // namespace marquetrix
