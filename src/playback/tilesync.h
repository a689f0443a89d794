#pragma once

#include "layoutstate.h"
#include "syncgroup.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <memory>

namespace marquetrix {

class MediaPlayer;

// A window's sync group at work. Play, pause, seeks and speed asked of one of its videos go to
// all of them; every 100 ms each follower is brought towards its place by the SyncGroup's rule,
// through its record's requests (syncRate, seekTarget, doPause, forcePlay), which the tiles'
// player bindings carry out. A video that leaves the window leaves the group.
class TileSync : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A window's content makes its own")

public:
    explicit TileSync(LayoutState *layoutState, QObject *parent = nullptr);

    Q_PROPERTY(bool active READ active NOTIFY changed)
    bool active() const { return m_group.active(); }
    // Members, leader or offsets changed.
    Q_SIGNAL void changed();

    // Every video of the window follows this one, from its place now.
    Q_INVOKABLE void syncTo(marquetrix::VideoMetadata *leader);
    Q_INVOKABLE void unsync();
    // The video's offset, and with it its place, by so much; a paused video moves there.
    Q_INVOKABLE void nudge(marquetrix::VideoMetadata *meta, int milliseconds);
    // By one picture, on a paused video. The leader's next picture (direction > 0, not
    // `nudging`) is the next picture of the whole group.
    Q_INVOKABLE void step(marquetrix::VideoMetadata *meta, int direction, bool nudging);
    // Every video by so much; a group keeps its offsets.
    Q_INVOKABLE void seekAll(int milliseconds);

    bool contains(const VideoMetadata *meta) const;
    bool leads(const VideoMetadata *meta) const;
    qint64 offset(const VideoMetadata *meta) const;
    // The group's seeks made to bring a follower back; not those the user asked for.
    int reseeks() const { return m_reseeks; }

    static constexpr int intervalMs = 100;

private:
    std::shared_ptr<VideoMetadata> record(const QUuid &id) const;
    static MediaPlayer *playerOf(const VideoMetadata &meta);
    void correct();
    void alignPaused(qint64 leaderTime);
    void membersChanged();
    void watch(VideoMetadata *meta);
    void onPlaying(VideoMetadata *meta);
    void onSeek(VideoMetadata *meta);
    void onRate(VideoMetadata *meta);
    void seekGroup(qint64 leaderTime, const QUuid &except = {});
    void seekMember(VideoMetadata &meta, qint64 time);
    void setPlaying(VideoMetadata &meta, bool playing);
    void settle(const QUuid &id) { m_settledAt[id] = m_clock.elapsed() + settleMs; }
    bool settling(const QUuid &id) const { return m_clock.elapsed() < m_settledAt.value(id); }
    std::optional<qint64> leaderTime() const;

    // After a seek the player decodes before it plays on, and reports its time again only then.
    static constexpr qint64 settleMs = 500;
    static constexpr qint64 maxSeekLeadMs = 300;

    QPointer<LayoutState> m_layoutState;
    SyncGroup m_group;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QHash<QUuid, qint64> m_settledAt;
    QHash<QUuid, bool> m_lastPlaying;
    QSet<QUuid> m_held;
    // How far ahead a seek made while playing aims, learnt from where the last ones landed.
    qint64 m_seekLead = 0;
    QSet<QUuid> m_leadProbes;
    bool m_playing = false;
    // The paused group shows the pictures of its places.
    bool m_aligned = false;
    float m_rate = 1;
    int m_reseeks = 0;
};

} // namespace marquetrix
