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

QVideoFrame cropFrame(const QVideoFrame &source, QRect region)
{
    QVideoFrame input = source;
    const QVideoFrameFormat::PixelFormat pixelFormat = input.pixelFormat();
    if ((pixelFormat != QVideoFrameFormat::Format_YUV420P &&
         pixelFormat != QVideoFrameFormat::Format_NV12) ||
        !QRect(QPoint(), input.size()).contains(region) || !input.map(QVideoFrame::ReadOnly))
        return {};
    QVideoFrameFormat format(region.size(), QVideoFrameFormat::Format_NV12);
    format.setColorSpace(input.surfaceFormat().colorSpace());
    format.setColorRange(input.surfaceFormat().colorRange());
    QVideoFrame output(format);
    if (!output.map(QVideoFrame::WriteOnly)) {
        input.unmap();
        return {};
    }

    const int width = region.width();
    for (int row = 0; row < region.height(); ++row)
        std::memcpy(output.bits(0) + qsizetype(row) * output.bytesPerLine(0),
                    input.bits(0) + qsizetype(region.y() + row) * input.bytesPerLine(0) +
                        region.x(),
                    size_t(width));
    const int chromaWidth = width / 2;
    const int chromaX = region.x() / 2;
    const int chromaY = region.y() / 2;
    for (int row = 0; row < region.height() / 2; ++row) {
        uchar *target = output.bits(1) + qsizetype(row) * output.bytesPerLine(1);
        const qsizetype line = qsizetype(chromaY + row);
        if (pixelFormat == QVideoFrameFormat::Format_NV12) {
            std::memcpy(target, input.bits(1) + line * input.bytesPerLine(1) + 2 * chromaX,
                        size_t(2 * chromaWidth));
            continue;
        }
        const uchar *u = input.bits(1) + line * input.bytesPerLine(1) + chromaX;
        const uchar *v = input.bits(2) + line * input.bytesPerLine(2) + chromaX;
        for (int i = 0; i < chromaWidth; ++i) {
            target[2 * i] = u[i];
            target[2 * i + 1] = v[i];
        }
    }
    output.unmap();
    input.unmap();
    return output;
}

} // namespace marquetrix
