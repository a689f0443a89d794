#pragma once

#include <QRect>
#include <QString>

#include <vector>

namespace marquetrix::bench {

struct BenchOptions;

struct WindowResult
{
    // Empty when the run went through.
    QString failure;
    double cores = 0;
    // Negative when the X server is out of reach.
    double xServerCores = -1;
    double shownPerTile = 0;
    // Delivered to a tile, then replaced by the next one before any window frame showed it.
    double unseenPerTile = 0;
    double deliveredPerTile = 0;
    qint64 unreadable = 0;
    // Tiles that had shown pictures when measuring began.
    int tilesStarted = 0;
    double windowFrames = 0;
    // The render thread and the rasteriser's threads; zero with the basic render loop, which
    // draws on the GUI thread.
    double renderCores = 0;
    double guiCores = 0;
    double frameMsMedian = 0;
    double frameMsP95 = 0;
    double frameMsMax = 0;
    // Where the tiles were, in window coordinates.
    std::vector<QRect> tiles;
};

// The players as tiles of the layout view in a window.
WindowResult runInWindow(const BenchOptions &options, int tiles, const QString &clip);

} // namespace marquetrix::bench
