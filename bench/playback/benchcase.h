#pragma once

#include <QSize>
#include <QString>

namespace marquetrix::bench {

// What one run of a case measured.
struct RunResult
{
    qint64 frames = 0;
    double cpuPerSecond = 0;
    double peakRssMiB = 0;
    double rssGrowthMiB = 0;
    // Resident memory once every player was released again.
    double rssAfterReleaseMiB = 0;
    bool complete = false; // every player reached its end
};

// One case: N players of the same clip.
struct BenchCase
{
    int players = 1;
    QSize size{1280, 720};
    int seconds = 10;
    int fps = 30;

    QString name() const
    {
        return QStringLiteral("%1 x %2p%3").arg(players).arg(size.height()).arg(fps);
    }
};

} // namespace marquetrix::bench
