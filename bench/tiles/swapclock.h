#pragma once

#include <QElapsedTimer>

#include <mutex>
#include <vector>

class QQuickWindow;

namespace marquetrix::bench {

// The moments the window swapped in a frame while recording.
class SwapClock
{
public:
    explicit SwapClock(QQuickWindow *window);

    void setRecording(bool recording);
    std::size_t frames() const;
    std::vector<double> intervalsMs() const;

private:
    mutable std::mutex m_mutex;
    QElapsedTimer m_clock;
    std::vector<qint64> m_swaps;
    bool m_recording = false;
};

} // namespace marquetrix::bench
