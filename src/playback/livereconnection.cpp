#include "livereconnection.h"

#include "media.h"
#include "playbacklogging.h"
#include "videometadata.h"

#include <algorithm>

namespace marquetrix {

using namespace std::chrono_literals;

std::chrono::milliseconds LiveReconnection::delayBefore(int attempt)
{
    return std::min<std::chrono::milliseconds>(1s * (1 << std::clamp(attempt - 1, 0, 5)), 30s);
}

std::chrono::milliseconds LiveReconnection::limit()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("MARQUETRIX_RECONNECT_LIMIT_SECONDS", &ok);
    return ok && seconds > 0 ? std::chrono::milliseconds(1s * seconds) : 30min;
}

bool LiveReconnection::absorb(const Media &media, VideoMetadata &meta)
{
    if (!m_played || !(media.isLive() || meta.liveSource()))
        return false;
    const Clock::time_point now = Clock::now();
    // The player tells the outcome of a run again with the stop that follows it.
    if (waiting())
        return true;
    if (!m_firstFailure)
        m_firstFailure = now;
    else if (now - *m_firstFailure >= limit()) {
        qCWarning(lcLiveReconnection).noquote()
            << "Giving up on" << media.url().toDisplayString(QUrl::RemoveUserInfo) << "after"
            << m_attempt << "attempts";
        return false;
    }
    ++m_attempt;
    const std::chrono::milliseconds delay = delayBefore(m_attempt);
    m_retryAt = now + delay;
    meta.setReconnectAttempt(m_attempt);
    qCInfo(lcLiveReconnection).noquote()
        << media.url().toDisplayString(QUrl::RemoveUserInfo) << "dropped; attempt" << m_attempt
        << "in" << delay.count() << "ms";
    return true;
}

bool LiveReconnection::progressed(VideoMetadata &meta)
{
    m_played = true;
    if (m_attempt == 0)
        return false;
    qCInfo(lcLiveReconnection) << "Back after" << m_attempt << "attempts";
    m_attempt = 0;
    m_firstFailure.reset();
    meta.setReconnectAttempt(0);
    return true;
}

} // namespace marquetrix
