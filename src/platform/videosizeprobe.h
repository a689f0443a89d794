#pragma once

#include <QObject>
#include <QSize>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>

namespace marquetrix {

// Reads a video's picture size with libavformat, on a thread of its own. libVLC learns
// no size from MPEG-TS (files, HTTP, HLS segments) before it creates the picture
// surface, and for plain TS never; without the size the pictures come out stretched into
// libVLC's padded buffer and callers never learn that the video has loaded.
class VideoSizeProbe
{
public:
    // done runs on the GUI thread with the size (empty when unknown), unless context is
    // gone by then. The probe gives up after timeout or when the returned flag is set.
    static std::shared_ptr<std::atomic<bool>> start(const QUrl &url, QObject *context,
                                                    std::function<void(QSize)> done);

    // True for the sources the probe can read without disturbing playback.
    static bool canProbe(const QUrl &url);
};

} // namespace marquetrix
