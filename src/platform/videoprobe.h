#pragma once

#include "videocolour.h"

#include <QObject>
#include <QSize>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>

namespace marquetrix {

// What libavformat reads of a video's stream before libVLC shows it.
struct ProbedVideo
{
    QSize size; // empty when unknown
    VideoColour colour;
};

// Reads a video's picture size and colour tags with libavformat, on a thread of its own.
// libVLC learns no size from MPEG-TS (files, HTTP, HLS segments) before it creates the
// picture surface, and for plain TS never; without the size the pictures come out stretched
// into libVLC's padded buffer and callers never learn that the video has loaded. libVLC 3
// tells its video callbacks neither the colour matrix nor the range.
class VideoProbe
{
public:
    // done runs on the GUI thread with what was read (empty or unknown fields where nothing
    // could be), unless context is gone by then. The probe gives up after a timeout or when
    // the returned flag is set.
    static std::shared_ptr<std::atomic<bool>> start(const QUrl &url, QObject *context,
                                                    std::function<void(ProbedVideo)> done);

    // True for the sources the probe can read without disturbing playback.
    static bool canProbe(const QUrl &url);
};

} // namespace marquetrix
