#include "tilesync.h"

#include "media.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "playbacklogging.h"

#include <algorithm>
#include <limits>

namespace marquetrix {

namespace {

// Where `time` lies on the media: a seek past the end ends it there.
qint64 onMedia(const MediaPlayer &player, qint64 time)
{
    const qint64 length = player.media() ? player.media()->length() : 0;
    return std::clamp<qint64>(time, 0, length > 0 ? length : std::numeric_limits<qint64>::max());
}

// The middle of the picture shown at `time`: a seek there shows that picture, where a seek to
// its first millisecond may land on the one before.
qint64 pictureAt(qint64 time, qint64 frame)
{
    return std::max<qint64>(0, time) / frame * frame + frame / 2;
}

} // namespace

TileSync::TileSync(LayoutState *layoutState, QObject *parent)
    : QObject(parent), m_layoutState(layoutState)
{
    m_clock.start();
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TileSync::correct);
    if (layoutState)
        connect(layoutState, &LayoutState::videoMetasChanged, this, &TileSync::membersChanged);
}

std::shared_ptr<VideoMetadata> TileSync::record(const QUuid &id) const
{
    const LayoutState *layout = m_layoutState;
    if (!layout)
        return nullptr;
    for (const auto &meta : layout->videoMetas()) {
        if (meta->id() == id)
            return meta;
    }
    return nullptr;
}

MediaPlayer *TileSync::playerOf(const VideoMetadata &meta)
{
    const std::shared_ptr<MediaListPlayer> list = meta.mediaPlayer();
    return list ? list->mediaPlayer() : nullptr;
}

bool TileSync::contains(const VideoMetadata *meta) const
{
    return meta && m_group.contains(meta->id());
}

bool TileSync::leads(const VideoMetadata *meta) const
{
    return contains(meta) && m_group.leader() == meta->id();
}

qint64 TileSync::offset(const VideoMetadata *meta) const
{
    return meta ? m_group.offset(meta->id()) : 0;
}

std::optional<qint64> TileSync::leaderTime() const
{
    const auto leader = record(m_group.leader());
    const MediaPlayer *player = leader ? playerOf(*leader) : nullptr;
    return player ? player->time() : std::nullopt;
}

void TileSync::syncTo(VideoMetadata *leader)
{
    const LayoutState *layout = m_layoutState;
    if (!leader || !layout)
        return;
    unsync();
    QList<QUuid> ids;
    for (const auto &meta : layout->videoMetas()) {
        if (!meta->isClosed())
            ids.append(meta->id());
    }
    if (ids.size() < 2 || !ids.contains(leader->id())) {
        qCInfo(lcSync) << "Nothing to sync with";
        return;
    }
    m_group.start(leader->id(), ids);
    m_playing = leader->playing();
    m_rate = leader->rate();
    m_held.clear();
    m_settledAt.clear();
    for (const QUuid &id : ids) {
        const auto meta = record(id);
        watch(meta.get());
        meta->setRate(m_rate);
        m_lastPlaying[id] = meta->playing();
        if (id != leader->id())
            setPlaying(*meta, m_playing);
    }
    if (const auto time = leaderTime())
        seekGroup(*time, leader->id());
    m_timer.start();
    qCInfo(lcSync).noquote() << ids.size() << "videos follow" << leader->title();
    emit changed();
}

void TileSync::unsync()
{
    if (!m_group.active())
        return;
    for (const QUuid &id : m_group.members()) {
        if (const auto meta = record(id)) {
            meta->disconnect(this);
            meta->setSyncRate(1);
        }
    }
    m_group.end();
    m_timer.stop();
    qCInfo(lcSync) << "Videos play on their own again";
    emit changed();
}

void TileSync::watch(VideoMetadata *meta)
{
    // The record sends these: it is alive whenever they arrive.
    connect(meta, &VideoMetadata::playingChanged, this, [this, meta] { onPlaying(meta); });
    connect(meta, &VideoMetadata::positionChangedChanged, this, [this, meta] { onSeek(meta); });
    connect(meta, &VideoMetadata::rateChanged, this, [this, meta] { onRate(meta); });
}

void TileSync::membersChanged()
{
    if (!m_group.active())
        return;
    const QUuid leader = m_group.leader();
    bool left = false;
    for (const QUuid &id : QList<QUuid>(m_group.members())) {
        if (record(id))
            continue;
        left = true;
        m_group.remove(id);
        m_lastPlaying.remove(id);
        m_held.remove(id);
    }
    if (!left)
        return;
    if (!m_group.active()) {
        // The one video left plays on as it is.
        if (const LayoutState *layout = m_layoutState) {
            for (const auto &meta : layout->videoMetas()) {
                meta->disconnect(this);
                meta->setSyncRate(1);
            }
        }
        m_timer.stop();
        qCInfo(lcSync) << "Sync group ended: one video left";
    } else if (m_group.leader() != leader) {
        if (const auto next = record(m_group.leader())) {
            next->setSyncRate(1);
            qCInfo(lcSync).noquote() << "The leader left;" << next->title() << "leads";
        }
    }
    emit changed();
}

void TileSync::setPlaying(VideoMetadata &meta, bool playing)
{
    if (!playing)
        meta.setDoPause(true);
    // One that waits at its end or start is started by the group once its place is on it.
    else if (!m_held.contains(meta.id()) && !meta.ended())
        meta.setForcePlay(true);
}

void TileSync::onPlaying(VideoMetadata *meta)
{
    const bool now = meta->playing();
    const QUuid id = meta->id();
    if (m_lastPlaying.value(id) == now)
        return;
    m_lastPlaying[id] = now;
    if (now == m_playing)
        return;
    // A follower that reached its end, or waits for its start, is no pause of the group.
    if (!now && id != m_group.leader() && (meta->ended() || m_held.contains(id)))
        return;
    m_playing = now;
    for (const QUuid &other : m_group.members()) {
        if (const auto each = record(other); each && other != id)
            setPlaying(*each, now);
    }
}

void TileSync::onSeek(VideoMetadata *meta)
{
    if (!meta->positionChanged())
        return;
    // The tile's own seek jumps by whole seconds; the group seeks every video exactly, this
    // one too.
    meta->setPositionChanged(false);
    const auto place = qint64(double(meta->position()) * 1000.0);
    seekGroup(place - m_group.offset(meta->id()) + m_group.offset(m_group.leader()));
}

void TileSync::onRate(VideoMetadata *meta)
{
    const float rate = meta->rate();
    if (rate == m_rate)
        return;
    m_rate = rate;
    for (const QUuid &id : m_group.members()) {
        if (const auto each = record(id))
            each->setRate(rate);
    }
}

void TileSync::seekGroup(qint64 leaderTime, const QUuid &except)
{
    for (const QUuid &id : m_group.members()) {
        if (const auto meta = record(id); meta && id != except)
            seekMember(*meta, m_group.placeOf(id, leaderTime));
    }
}

void TileSync::seekMember(VideoMetadata &meta, qint64 time)
{
    const MediaPlayer *player = playerOf(meta);
    if (!player)
        return;
    meta.setSyncRate(1);
    // A playing video takes a moment to decode from its new place, while the others play on.
    const bool playing = m_playing && player->isPlaying();
    meta.setSeekTarget(onMedia(*player, time + (playing ? m_seekLead : 0)));
    if (playing)
        m_leadProbes.insert(meta.id());
    settle(meta.id());
}

void TileSync::seekAll(int milliseconds)
{
    if (m_group.active()) {
        if (const auto time = leaderTime())
            seekGroup(*time + milliseconds);
        return;
    }
    const LayoutState *layout = m_layoutState;
    if (!layout)
        return;
    for (const auto &meta : layout->videoMetas()) {
        const MediaPlayer *player = playerOf(*meta);
        if (const auto time = player ? player->time() : std::nullopt)
            meta->setSeekTarget(onMedia(*player, *time + milliseconds));
    }
}

void TileSync::nudge(VideoMetadata *meta, int milliseconds)
{
    if (!contains(meta))
        return;
    m_group.nudge(meta->id(), milliseconds);
    // A playing follower is brought to its new place by the group; against a playing leader
    // the followers move.
    const MediaPlayer *player = playerOf(*meta);
    if (const auto time = player ? player->time() : std::nullopt; time && !meta->playing())
        meta->setSeekTarget(onMedia(*player, *time + milliseconds));
    emit changed();
}

void TileSync::step(VideoMetadata *meta, int direction, bool nudging)
{
    if (!contains(meta) || meta->playing() || direction == 0)
        return;
    const int sign = direction > 0 ? 1 : -1;
    const bool wholeGroup = !nudging && sign > 0 && leads(meta);
    for (const QUuid &id : m_group.members()) {
        const auto each = record(id);
        const MediaPlayer *player = each ? playerOf(*each) : nullptr;
        const auto time = player ? player->time() : std::nullopt;
        if (!time || (!wholeGroup && each.get() != meta))
            continue;
        const qint64 frame = player->frameDuration();
        if (!wholeGroup)
            m_group.nudge(id, sign * frame);
        each->setSeekTarget(onMedia(*player, pictureAt(*time + sign * frame, frame)));
    }
    emit changed();
}

void TileSync::alignPaused(qint64 leaderTime)
{
    if (m_aligned || m_playing)
        return;
    for (const QUuid &id : m_group.members()) {
        const auto meta = record(id);
        const MediaPlayer *player = meta ? playerOf(*meta) : nullptr;
        if (player && (player->isPlaying() || settling(id)))
            return;
    }
    // Each video stopped where its own pause found it: the pictures shown are to match.
    m_aligned = true;
    seekGroup(leaderTime, m_group.leader());
}

void TileSync::correct()
{
    if (!m_group.active()) {
        m_timer.stop();
        return;
    }
    const QUuid leader = m_group.leader();
    const auto lead = record(leader);
    const MediaPlayer *leadPlayer = lead ? playerOf(*lead) : nullptr;
    const auto time = leadPlayer ? leadPlayer->time() : std::nullopt;
    if (!time || settling(leader))
        return;
    if (leadPlayer->state() == PlaybackState::Paused)
        alignPaused(*time);
    if (leadPlayer->state() != PlaybackState::Playing)
        return;
    m_aligned = false;
    for (const QUuid &id : m_group.members()) {
        const auto meta = record(id);
        const MediaPlayer *player = meta ? playerOf(*meta) : nullptr;
        if (id == leader || !player || settling(id))
            continue;
        if (m_leadProbes.remove(id)) {
            // Where a seek made while playing landed: the next such seek aims that much ahead.
            const qint64 off = player->time().value_or(0) - m_group.placeOf(id, *time);
            m_seekLead = std::clamp<qint64>(m_seekLead - off / 2, 0, maxSeekLeadMs);
        }
        const qint64 length = player->media() ? player->media()->length() : 0;
        const SyncGroup::Step step =
            SyncGroup::follow(m_group.placeOf(id, *time), player->time(), length,
                              player->isPlaying() || meta->playing());
        switch (step.action) {
        case SyncGroup::Step::Action::Keep:
            if (meta->syncRate() != step.rate)
                meta->setSyncRate(step.rate);
            break;
        case SyncGroup::Step::Action::Seek:
            ++m_reseeks;
            qCDebug(lcSync).noquote() << "Seeking" << meta->title() << "to" << step.time;
            seekMember(*meta, step.time);
            break;
        case SyncGroup::Step::Action::Hold:
            m_held.insert(id);
            meta->setDoPause(true);
            meta->setSyncRate(1);
            meta->setSeekTarget(step.time);
            settle(id);
            break;
        case SyncGroup::Step::Action::Resume:
            m_held.remove(id);
            meta->setEnded(false);
            seekMember(*meta, step.time);
            meta->setForcePlay(true);
            break;
        }
    }
}

} // namespace marquetrix
