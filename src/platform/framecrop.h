#pragma once

#include <QRect>
#include <QSize>
#include <QVideoFrame>

namespace marquetrix {

// The largest centred region of a picture of the given size with the given width:height
// ratio, on even coordinates so that it falls on whole chroma samples.
QRect centredCropRect(QSize picture, QSize ratio);

// A new NV12 frame holding the region of a planar 4:2:0 frame (YUV420P or NV12). Qt 6.4's
// VideoOutput ignores a frame format's viewport, so a crop needs a frame of its own; NV12
// because Qt draws it right at every height.
QVideoFrame cropFrame(const QVideoFrame &source, QRect region);

} // namespace marquetrix
