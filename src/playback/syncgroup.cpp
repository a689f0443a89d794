#include "syncgroup.h"

#include <algorithm>
#include <cmath>

namespace marquetrix {

namespace {

// A place this near the end has been reached: the end shows the last picture.
constexpr qint64 endMarginMs = 100;
// Correction per millisecond off: 20 ms off plays 4 % faster or slower, so a follower closes a
// gap in about half a second, without overshooting the steps in which libVLC takes a new speed.
constexpr float gainPerMs = 0.002f;

} // namespace

void SyncGroup::start(const QUuid &leader, const QList<QUuid> &members)
{
    m_members = members;
    if (!m_members.contains(leader))
        m_members.prepend(leader);
    m_leader = leader;
}

void SyncGroup::end()
{
    m_members.clear();
    m_leader = QUuid();
}

void SyncGroup::remove(const QUuid &id)
{
    m_members.removeAll(id);
    if (m_members.size() < 2)
        end();
    else if (id == m_leader)
        m_leader = m_members.first();
}

qint64 SyncGroup::placeOf(const QUuid &id, qint64 leaderTime) const
{
    return leaderTime - offset(m_leader) + offset(id);
}

SyncGroup::Step SyncGroup::follow(qint64 target, std::optional<qint64> time, qint64 length,
                                  bool playing)
{
    using Action = Step::Action;
    if (target < 0)
        return playing ? Step{Action::Hold, 1, 0} : Step{};
    if (length > 0 && target >= length - endMarginMs) {
        // It plays on to its end and waits there, unless it is far from it.
        if (playing && time && target - *time > reseekMs)
            return {Action::Seek, 1, length};
        return {};
    }
    if (!playing)
        return {Action::Resume, 1, target};
    if (!time)
        return {};
    const qint64 off = *time - target;
    if (std::abs(off) > reseekMs)
        return {Action::Seek, 1, target};
    if (std::abs(off) < calmMs)
        return {};
    const float correction = std::clamp(-float(off) * gainPerMs, -maxCorrection, maxCorrection);
    return {Action::Keep, 1 + std::round(correction / correctionStep) * correctionStep, 0};
}

} // namespace marquetrix
