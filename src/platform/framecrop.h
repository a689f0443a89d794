#pragma once

#include <QRect>
#include <QSize>

namespace marquetrix {

// The largest centred region of a picture of the given size with the given width:height
// ratio, on even coordinates so that it falls on whole chroma samples.
QRect centredCropRect(QSize picture, QSize ratio);

} // namespace marquetrix
