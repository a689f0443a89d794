#include "framecrop.h"

#include "logging.h"

#include <cstring>

namespace marquetrix {

QRect centredCropRect(QSize picture, QSize ratio)
{
    const qint64 w = picture.width();
    const qint64 h = picture.height();
    qint64 width = w;
    qint64 height = h;
    if (w * ratio.height() > h * ratio.width())
        width = (h * ratio.width() + ratio.height() / 2) / ratio.height();
    else
        height = (w * ratio.height() + ratio.width() / 2) / ratio.width();
    width = std::max<qint64>(2, width & ~qint64(1));
    height = std::max<qint64>(2, height & ~qint64(1));
    const qint64 x = ((w - width) / 2) & ~qint64(1);
    const qint64 y = ((h - height) / 2) & ~qint64(1);
    return QRect(int(x), int(y), int(width), int(height));
}

namespace {

// Averages shrink x shrink blocks of samples that lie step bytes apart into samples that lie
// outStep bytes apart. A template so that the common cases unroll and vectorise.
template <int Shrink>
void shrinkPlane(const uchar *source, qsizetype stride, int step, uchar *target,
                 qsizetype outStride, int outStep, int width, int height)
{
    constexpr int rounding = Shrink * Shrink / 2;
    for (int row = 0; row < height; ++row) {
        const uchar *in = source + qsizetype(row) * Shrink * stride;
        uchar *out = target + qsizetype(row) * outStride;
        for (int x = 0; x < width; ++x) {
            int sum = rounding;
            for (int dy = 0; dy < Shrink; ++dy)
                for (int dx = 0; dx < Shrink; ++dx)
                    sum += in[dy * stride + (x * Shrink + dx) * step];
            out[x * outStep] = uchar(sum / (Shrink * Shrink));
        }
    }
}

void copyPlane(int shrink, const uchar *source, qsizetype stride, int step, uchar *target,
               qsizetype outStride, int outStep, int width, int height)
{
    if (shrink == 1 && step == 1 && outStep == 1) {
        for (int row = 0; row < height; ++row)
            std::memcpy(target + row * outStride, source + row * stride, size_t(width));
        return;
    }
    switch (shrink) {
    case 1:
        return shrinkPlane<1>(source, stride, step, target, outStride, outStep, width, height);
    case 2:
        return shrinkPlane<2>(source, stride, step, target, outStride, outStep, width, height);
    default:
        return shrinkPlane<4>(source, stride, step, target, outStride, outStep, width, height);
    }
}

} // namespace

QVideoFrame cropFrame(const QVideoFrame &source, QRect region, int shrink, bool leaveMapped)
{
    QVideoFrame input = source;
    const QVideoFrameFormat::PixelFormat pixelFormat = input.pixelFormat();
    const QSize size(region.width() / shrink & ~1, region.height() / shrink & ~1);
    if ((pixelFormat != QVideoFrameFormat::Format_YUV420P &&
         pixelFormat != QVideoFrameFormat::Format_NV12) ||
        (shrink != 1 && shrink != 2 && shrink != 4) || size.isEmpty() ||
        !QRect(QPoint(), input.size()).contains(region) || !input.map(QVideoFrame::ReadOnly))
        return {};
    QVideoFrameFormat format(size, QVideoFrameFormat::Format_NV12);
    format.setColorSpace(input.surfaceFormat().colorSpace());
    format.setColorRange(input.surfaceFormat().colorRange());
    QVideoFrame output(format);
    if (!output.map(QVideoFrame::WriteOnly)) {
        input.unmap();
        return {};
    }

    copyPlane(shrink, input.bits(0) + qsizetype(region.y()) * input.bytesPerLine(0) + region.x(),
              input.bytesPerLine(0), 1, output.bits(0), output.bytesPerLine(0), 1, size.width(),
              size.height());
    // A chroma sample covers two luma samples each way, so the region's chroma starts at
    // half its offset and the same shrink keeps luma and chroma in register.
    const qsizetype chromaX = region.x() / 2;
    const qsizetype chromaY = region.y() / 2;
    const int nv12 = pixelFormat == QVideoFrameFormat::Format_NV12;
    for (int component = 0; component < 2; ++component) {
        const int plane = nv12 ? 1 : 1 + component;
        const int step = nv12 ? 2 : 1;
        copyPlane(shrink,
                  input.bits(plane) + chromaY * input.bytesPerLine(plane) + chromaX * step +
                      (nv12 ? component : 0),
                  input.bytesPerLine(plane), step, output.bits(1) + component,
                  output.bytesPerLine(1), 2, size.width() / 2, size.height() / 2);
    }
    input.unmap();
    if (!leaveMapped)
        output.unmap();
    return output;
}

} // namespace marquetrix
