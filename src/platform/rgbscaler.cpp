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
    QVideoFrame output(QVideoFrameFormat(size, QVideoFrameFormat::Format_BGRX8888));
    if (size.isEmpty() || !output.map(QVideoFrame::WriteOnly))
        return {};
    const bool converted =
        convert(source, region, size, colour, output.bits(0), output.bytesPerLine(0));
    output.unmap();
    return converted ? output : QVideoFrame();
}

QImage RgbScaler::toImage(const QVideoFrame &source, QRect region, QSize size, VideoColour colour)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull() ||
        !convert(source, region, size, colour, image.bits(), image.bytesPerLine()))
        return {};
    return image;
}

bool RgbScaler::convert(const QVideoFrame &source, QRect region, QSize size, VideoColour colour,
                        uchar *target, qsizetype stride)
{
    QVideoFrame input = source;
    // Chroma covers two luma samples each way: the region starts on an even sample.
    region.setTopLeft(QPoint(region.x() & ~1, region.y() & ~1));
    if (input.pixelFormat() != QVideoFrameFormat::Format_YUV420P || region.isEmpty() ||
        !QRect(QPoint(), input.size()).contains(region))
        return false;
    // Area averaging: the cheapest of libswscale's filters when shrinking, without the
    // shimmer of sampling fewer points. At the same size libswscale converts with SIMD.
    SwsContext *context = sws_getCachedContext(
        m_context, region.width(), region.height(), AV_PIX_FMT_YUV420P, size.width(), size.height(),
        AV_PIX_FMT_BGRA, SWS_AREA, nullptr, nullptr, nullptr);
    if (!context)
        return false;
    const int matrix = colour.matrixAt(input.height()) == VideoColour::Matrix::Bt709
                           ? SWS_CS_ITU709
                           : SWS_CS_ITU601;
    // Setting the colour rebuilds libswscale's tables: only for a new context or colour. A
    // new context may take the old one's address.
    const bool fresh = context != m_context || region.size() != m_from || size != m_to;
    m_context = context;
    m_from = region.size();
    m_to = size;
    if (fresh || matrix != m_matrix || colour.fullRange != m_fullRange) {
        m_matrix = matrix;
        m_fullRange = colour.fullRange;
        sws_setColorspaceDetails(context, sws_getCoefficients(matrix), m_fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    if (!input.map(QVideoFrame::ReadOnly))
        return false;

    const uchar *planes[3] = {};
    int strides[3] = {};
    for (int plane = 0; plane < 3; ++plane) {
        const int scale = plane == 0 ? 1 : 2;
        strides[plane] = input.bytesPerLine(plane);
        planes[plane] =
            input.bits(plane) + qsizetype(region.y() / scale) * strides[plane] + region.x() / scale;
    }
    uchar *targets[1] = {target};
    const int targetStrides[1] = {int(stride)};
    const int rows =
        sws_scale(m_context, planes, strides, 0, region.height(), targets, targetStrides);
    input.unmap();
    return rows == size.height();
}

} // namespace marquetrix
