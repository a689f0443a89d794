#include "rgbscaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace marquetrix {

RgbScaler::~RgbScaler()
{
    sws_freeContext(m_context);
}

QVideoFrame RgbScaler::toFrame(const QVideoFrame &source, QRect region, QSize size,
                               VideoColour colour)
{
    QVideoFrame output(QVideoFrameFormat(size, QVideoFrameFormat::Format_RGBX8888));
    if (size.isEmpty() || !output.map(QVideoFrame::WriteOnly))
        return {};
    const bool converted =
        convert(source, region, size, colour, output.bits(0), output.bytesPerLine(0));
    output.unmap();
    return converted ? output : QVideoFrame();
}

QImage RgbScaler::toImage(const QVideoFrame &source, QRect region, QSize size,
                          VideoColour colour)
{
    QImage image(size, QImage::Format_RGBX8888);
    if (image.isNull() || !convert(source, region, size, colour, image.bits(), image.bytesPerLine()))
        return {};
    return image;
}

bool RgbScaler::convert(const QVideoFrame &source, QRect region, QSize size, VideoColour colour,
                        uchar *target, qsizetype stride)
{
    QVideoFrame input = source;
    const QVideoFrameFormat::PixelFormat format = input.pixelFormat();
    const bool nv12 = format == QVideoFrameFormat::Format_NV12;
    // Chroma covers two luma samples each way: the region starts on an even sample.
    region.setTopLeft(QPoint(region.x() & ~1, region.y() & ~1));
    if ((!nv12 && format != QVideoFrameFormat::Format_YUV420P) || region.isEmpty() ||
        !QRect(QPoint(), input.size()).contains(region))
        return false;
    m_context = sws_getCachedContext(m_context, region.width(), region.height(),
                                     nv12 ? AV_PIX_FMT_NV12 : AV_PIX_FMT_YUV420P, size.width(),
                                     size.height(), AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr,
                                     nullptr, nullptr);
    if (!m_context || !input.map(QVideoFrame::ReadOnly))
        return false;
    const int matrix = colour.matrixAt(input.height()) == VideoColour::Matrix::Bt709
                           ? SWS_CS_ITU709
                           : SWS_CS_ITU601;
    sws_setColorspaceDetails(m_context, sws_getCoefficients(matrix), colour.fullRange ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);

    const uchar *planes[3] = {};
    int strides[3] = {};
    for (int plane = 0; plane < input.planeCount() && plane < 3; ++plane) {
        const int step = plane == 0 ? 1 : (nv12 ? 2 : 1);
        const int scale = plane == 0 ? 1 : 2;
        strides[plane] = input.bytesPerLine(plane);
        planes[plane] = input.bits(plane) +
                        qsizetype(region.y() / scale) * strides[plane] +
                        qsizetype(region.x() / scale) * step;
    }
    uchar *targets[1] = {target};
    const int targetStrides[1] = {int(stride)};
    const int rows = sws_scale(m_context, planes, strides, 0, region.height(), targets,
                               targetStrides);
    input.unmap();
    return rows == size.height();
}

} // namespace marquetrix
