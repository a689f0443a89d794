#pragma once

#include <QtGlobal>
#include <chrono>
#include <optional>

namespace marquetrix {

class Media;
class VideoMetadata;

// Brings a live source back when it drops (the server went away, the connection broke, it
// stalled): a run of a live source (as the engine tells, or as the record says where the
// engine cannot tell) that has played once in the tile and then fails or ends
// starts again after 1, 2, 4 … 30 s, until it plays or has failed for `limit()`. A file, an
// on-demand stream and a live source that never played fail at once, as before. The tile's
// player binding does the new start; the record shows the attempt.
class LiveReconnection
{
public:
    using Clock = std::chrono::steady_clock;

    // The wait before the attempt-th new start.
    static std::chrono::milliseconds delayBefore(int attempt);
    // 30 minutes, or MARQUETRIX_RECONNECT_LIMIT_SECONDS.
    static std::chrono::milliseconds limit();

    // The run of `media` failed or ended: true when it is to start again later, false when
    // it fails (or ends) for good.
    bool absorb(const Media &media, VideoMetadata &meta);
    // The run moves forward; true if it came back after a drop.
    bool progressed(VideoMetadata &meta);
    // A new start must wait for its turn.
    bool waiting() const { return m_attempt > 0 && Clock::now() < m_retryAt; }

private:
    bool m_played = false;
    int m_attempt = 0;
    std::optional<Clock::time_point> m_firstFailure;
    Clock::time_point m_retryAt;
};

} // namespace marquetrix
