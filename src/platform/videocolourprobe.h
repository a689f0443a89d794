#pragma once

#include "videocolour.h"

#include <QObject>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>

namespace marquetrix {

// Reads a video's colour matrix and range with libavformat, on a thread of its own.
// libVLC 3 tells neither to its video callbacks.
class VideoColourProbe
{
public:
    // done runs on the GUI thread with what the stream's tags say (unknown fields when
    // untagged or unreadable), unless context is gone by then. The probe gives up after a
    // timeout or when the returned flag is set.
    static std::shared_ptr<std::atomic<bool>> start(const QUrl &url, QObject *context,
                                                    std::function<void(VideoColour)> done);

    // Local files only: a probe of a network source would be one more request to a server
    // that may count them, bill them or refuse a second connection.
    static bool canProbe(const QUrl &url) { return url.isLocalFile(); }
};

} // namespace marquetrix
