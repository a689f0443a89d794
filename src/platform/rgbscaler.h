#pragma once

#include "videocolour.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QVideoFrame>

struct SwsContext;

namespace marquetrix {

// Turns a region of a decoded YUV420P picture into RGB at the size it is shown, reading the
// samples with their own matrix and range, in one pass of libswscale. A software renderer
// then draws each tile with one texture read per pixel; YCbCr textures cost it two reads and
// a matrix per pixel of the whole window, every frame. Keeps its scaling context between
// pictures, so one per thread.
class RgbScaler
{
public:
    RgbScaler() = default;
    ~RgbScaler();
    RgbScaler(const RgbScaler &) = delete;
    RgbScaler &operator=(const RgbScaler &) = delete;

    // A BGRX8888 frame of the given size (QImage's RGB32, which Qt draws and uploads as it
    // is); invalid when the input is not a YUV420P frame holding the region.
    QVideoFrame toFrame(const QVideoFrame &source, QRect region, QSize size, VideoColour colour);
    QImage toImage(const QVideoFrame &source, QRect region, QSize size, VideoColour colour);

private:
    bool convert(const QVideoFrame &source, QRect region, QSize size, VideoColour colour,
                 uchar *target, qsizetype stride);

    SwsContext *m_context = nullptr;
    // What the context converts: sizes, and the colour of the samples.
    QSize m_from;
    QSize m_to;
    int m_matrix = -1;
    bool m_fullRange = false;
};

} // namespace marquetrix
