#include "swapclock.h"

#include <QQuickWindow>

namespace marquetrix::bench {

SwapClock::SwapClock(QQuickWindow *window)
{
    m_clock.start();
    // Direct: frameSwapped comes on the render thread, and the moment is what counts.
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [this] {
            const std::lock_guard lock(m_mutex);
            if (m_recording)
                m_swaps.push_back(m_clock.nsecsElapsed());
        },
        Qt::DirectConnection);
}

void SwapClock::setRecording(bool recording)
{
    const std::lock_guard lock(m_mutex);
    m_recording = recording;
}

std::size_t SwapClock::frames() const
{
    const std::lock_guard lock(m_mutex);
    return m_swaps.size();
}

std::vector<double> SwapClock::intervalsMs() const
{
    const std::lock_guard lock(m_mutex);
    std::vector<double> intervals;
    for (std::size_t i = 1; i < m_swaps.size(); ++i)
        intervals.push_back(double(m_swaps[i] - m_swaps[i - 1]) / 1e6);
    return intervals;
}

} // namespace marquetrix::bench
