#pragma once

#include <QRect>
#include <QString>

#include <vector>

namespace marquetrix::bench {

struct BenchOptions;

struct MpvResult
{
    // Empty when the run went through.
    QString failure;
    double cores = 0;
    // Negative when the X server is out of reach.
    double xServerCores = -1;
    double shownPerTile = 0;
    double droppedPerTile = 0;
};

// One mpv player per tile, each in a window of its own at the tile's place, playing the clip:
// what a user would run instead of one window of tiles.
MpvResult runMpv(const BenchOptions &options, const std::vector<QRect> &tiles, const QString &clip);

} // namespace marquetrix::bench
