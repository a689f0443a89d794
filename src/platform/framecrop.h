#pragma once

#include <QRect>
#include <QSize>
#include <QVideoFrame>

namespace marquetrix {

// The largest centred region of a picture of the given size with the given width:height
// ratio, on even coordinates so that it falls on whole chroma samples.
QRect centredCropRect(QSize picture, QSize ratio);

// A new NV12 frame holding the region of a planar 4:2:0 frame (YUV420P or NV12), each
// shrink x shrink block of it averaged into one sample (shrink 1, 2 or 4). Qt 6.4's
// VideoOutput ignores a frame format's viewport, so a crop needs a frame of its own; NV12
// because Qt draws it right at every height. The frame comes back mapped for writing when
// asked, so that the caller can finish its samples without mapping it again.
QVideoFrame cropFrame(const QVideoFrame &source, QRect region, int shrink = 1,
                      bool leaveMapped = false);

} // namespace marquetrix
