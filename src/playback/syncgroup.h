#pragma once

#include <QHash>
#include <QList>
#include <QUuid>
#include <QtGlobal>
#include <optional>

namespace marquetrix {

// Videos that play in step: a leader and its followers, each with an offset of its own. They
// share one timeline, the leader's time less its offset; each video's place on it is that
// time plus its own offset, so choosing another leader changes no one's place. Offsets stay
// with their videos after the group ends, for the next one.
//
// follow() is the rule that keeps a follower in step: small changes of its speed, a seek
// only when it is far off, and a video whose place lies past its end (or before its start)
// waits there.
class SyncGroup
{
public:
    static constexpr qint64 reseekMs = 500;
    // Nearer than this a follower plays at its own speed: every change of speed costs libVLC
    // a short rearrangement of its sound.
    static constexpr qint64 calmMs = 10;
    static constexpr float maxCorrection = 0.1f;
    static constexpr float correctionStep = 0.02f;

    struct Step
    {
        enum class Action
        {
            Keep,   // at `rate`
            Seek,   // to `time`, and play
            Hold,   // pause at `time`: its place is not yet on its media
            Resume, // seek to `time` and play: its place is back on its media
        };
        Action action = Action::Keep;
        float rate = 1;
        qint64 time = 0;
    };

    // The videos in the window's order; the leader is one of them.
    void start(const QUuid &leader, const QList<QUuid> &members);
    void end();
    bool active() const { return !m_members.isEmpty(); }
    QUuid leader() const { return m_leader; }
    const QList<QUuid> &members() const { return m_members; }
    bool contains(const QUuid &id) const { return m_members.contains(id); }
    // The leader's going hands the lead to the next video; with one video left the group ends.
    void remove(const QUuid &id);

    qint64 offset(const QUuid &id) const { return m_offsets.value(id); }
    void nudge(const QUuid &id, qint64 milliseconds) { m_offsets[id] += milliseconds; }
    // The leader at `leaderTime`: where the video belongs.
    qint64 placeOf(const QUuid &id, qint64 leaderTime) const;

    // What a follower does whose place is `target`, at `time` (unknown while its player
    // starts) in a media of `length` ms (0: unknown), playing or not.
    static Step follow(qint64 target, std::optional<qint64> time, qint64 length, bool playing);

private:
    QUuid m_leader;
    QList<QUuid> m_members;
    QHash<QUuid, qint64> m_offsets;
};

} // namespace marquetrix
