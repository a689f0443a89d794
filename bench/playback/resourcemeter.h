#pragma once

#include <QElapsedTimer>
#include <QTimer>

namespace marquetrix::bench {

// CPU time and peak resident memory of this process over one measured span.
class ResourceMeter
{
public:
    ResourceMeter();

    void start();
    void stop();

    // CPU seconds (user + system, all threads) per second of wall time.
    double cpuPerSecond() const;
    double wallSeconds() const { return double(m_wallNs) / 1e9; }
    double peakRssMiB() const { return double(m_peakRssKiB) / 1024.0; }
    // How far the peak rose above the resident memory at start().
    double rssGrowthMiB() const { return double(m_peakRssKiB - m_startRssKiB) / 1024.0; }

    static double residentMiB();

    // Samples memory; called by a timer while measuring, and by hand where no event loop runs.
    void sample();

private:
    static double cpuSeconds();

    QTimer m_sampler;
    QElapsedTimer m_clock;
    double m_cpuAtStart = 0;
    double m_cpu = 0;
    qint64 m_wallNs = 0;
    qint64 m_startRssKiB = 0;
    qint64 m_peakRssKiB = 0;
};

} // namespace marquetrix::bench
