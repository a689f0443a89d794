#pragma once

#include <QSize>

#include <vector>

namespace marquetrix::bench {

struct BenchOptions
{
    std::vector<int> tileCounts{1, 4, 9, 16};
    int seconds = 15;
    int warmup = 4;
    QSize window{1920, 1080};
    QSize clip{1280, 720};
    int fps = 30;
    // Busy processes running beside the measurement.
    int load = 0;
    bool engineAlone = true;
    bool mpv = true;
    // Off: the window is measured without reading its pixels back, to see what reading costs.
    bool probe = true;
    // Every tile paused before measuring: what a window of still pictures costs.
    bool paused = false;
};

} // namespace marquetrix::bench
