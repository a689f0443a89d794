#include "resourcemeter.h"

#include <QFile>

#include <sys/resource.h>

namespace marquetrix::bench {

namespace {

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

} // namespace

ResourceMeter::ResourceMeter()
{
    m_sampler.setInterval(100);
    QObject::connect(&m_sampler, &QTimer::timeout, [this] { sample(); });
}

double ResourceMeter::cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void ResourceMeter::start()
{
    m_startRssKiB = residentKiB();
    m_peakRssKiB = m_startRssKiB;
    m_cpuAtStart = cpuSeconds();
    m_clock.start();
    m_sampler.start();
}

void ResourceMeter::stop()
{
    m_cpu = cpuSeconds() - m_cpuAtStart;
    m_wallNs = m_clock.nsecsElapsed();
    m_sampler.stop();
    sample();
}

double ResourceMeter::residentMiB()
{
    return double(residentKiB()) / 1024.0;
}

double ResourceMeter::cpuPerSecond() const
{
    return m_wallNs > 0 ? m_cpu / wallSeconds() : 0;
}

void ResourceMeter::sample()
{
    m_peakRssKiB = std::max(m_peakRssKiB, residentKiB());
}

} // namespace marquetrix::bench
