#include "bt601conversion.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace marquetrix {

namespace {

constexpr int fractionBits = 14;
constexpr int one = 1 << fractionBits;
constexpr int half = one / 2;

using Vector = std::array<double, 3>;

struct Weights
{
    double red;
    double blue;
};

constexpr Weights bt601{0.299, 0.114};
constexpr Weights bt709{0.2126, 0.0722};

// Normalised Y, Cb, Cr (Y in 0..1, chroma in -0.5..0.5) to R', G', B'.
Vector toRgb(const Vector &ycc, Weights weights)
{
    const double red = ycc[0] + 2 * (1 - weights.red) * ycc[2];
    const double blue = ycc[0] + 2 * (1 - weights.blue) * ycc[1];
    const double green =
        (ycc[0] - weights.red * red - weights.blue * blue) / (1 - weights.red - weights.blue);
    return {red, green, blue};
}

Vector toYcc(const Vector &rgb, Weights weights)
{
    const double luma = weights.red * rgb[0] + (1 - weights.red - weights.blue) * rgb[1] +
                        weights.blue * rgb[2];
    return {luma, (rgb[2] - luma) / (2 * (1 - weights.blue)),
            (rgb[0] - luma) / (2 * (1 - weights.red))};
}

int fixed(double value)
{
    return int(std::lround(value * one));
}

uchar clamped(int value)
{
    return uchar(std::clamp(value, 0, 255));
}

} // namespace

Bt601Conversion::Bt601Conversion(VideoColour::Matrix matrix, bool fullRange)
{
    const bool bt709Source = matrix == VideoColour::Matrix::Bt709;
    m_needed = bt709Source || fullRange;
    if (!m_needed)
        return;
    const Weights source = bt709Source ? bt709 : bt601;
    // The map between normalised YCbCr of the two matrices is linear; its columns are the
    // images of the unit vectors.
    std::array<Vector, 3> columns;
    for (size_t i = 0; i < 3; ++i) {
        Vector unit{};
        unit[i] = 1;
        columns[i] = toYcc(toRgb(unit, source), bt601);
    }
    const double lumaScale = fullRange ? 255 : 219;
    const double chromaScale = fullRange ? 255 : 224;
    m_yy = fixed(219 * columns[0][0] / lumaScale);
    m_yCb = fixed(219 * columns[1][0] / chromaScale);
    m_yCr = fixed(219 * columns[2][0] / chromaScale);
    m_cbCb = fixed(224 * columns[1][1] / chromaScale);
    m_cbCr = fixed(224 * columns[2][1] / chromaScale);
    m_crCb = fixed(224 * columns[1][2] / chromaScale);
    m_crCr = fixed(224 * columns[2][2] / chromaScale);
    m_lumaOffset = (16 << fractionBits) + half - m_yy * (fullRange ? 0 : 16);
}

void Bt601Conversion::apply(QVideoFrame &frame) const
{
    const bool nv12 = frame.pixelFormat() == QVideoFrameFormat::Format_NV12;
    if (!m_needed || (!nv12 && frame.pixelFormat() != QVideoFrameFormat::Format_YUV420P))
        return;
    const int width = frame.width();
    const int height = frame.height();
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    const qsizetype lumaStride = frame.bytesPerLine(0);
    const int step = nv12 ? 2 : 1;
    for (int row = 0; row < chromaHeight; ++row) {
        uchar *cb = frame.bits(1) + row * frame.bytesPerLine(1);
        uchar *cr = nv12 ? cb + 1 : frame.bits(2) + row * frame.bytesPerLine(2);
        uchar *top = frame.bits(0) + 2 * row * lumaStride;
        uchar *bottom = 2 * row + 1 < height ? top + lumaStride : nullptr;
        for (int column = 0; column < chromaWidth; ++column) {
            const int blue = cb[column * step] - 128;
            const int red = cr[column * step] - 128;
            cb[column * step] = clamped(128 + ((m_cbCb * blue + m_cbCr * red + half) >> fractionBits));
            cr[column * step] = clamped(128 + ((m_crCb * blue + m_crCr * red + half) >> fractionBits));
            const int lumaShift = m_lumaOffset + m_yCb * blue + m_yCr * red;
            const int x = 2 * column;
            const int count = x + 1 < width ? 2 : 1;
            for (int i = 0; i < count; ++i) {
                top[x + i] = clamped((m_yy * top[x + i] + lumaShift) >> fractionBits);
                if (bottom)
                    bottom[x + i] = clamped((m_yy * bottom[x + i] + lumaShift) >> fractionBits);
            }
        }
    }
}

} // namespace marquetrix
