#include "bt601conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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
    const double luma =
        weights.red * rgb[0] + (1 - weights.red - weights.blue) * rgb[1] + weights.blue * rgb[2];
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
    if (!bt709Source && !fullRange)
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
    const int yy = fixed(219 * columns[0][0] / lumaScale);
    const int yCb = fixed(219 * columns[1][0] / chromaScale);
    const int yCr = fixed(219 * columns[2][0] / chromaScale);
    const int cbCb = fixed(224 * columns[1][1] / chromaScale);
    const int cbCr = fixed(224 * columns[2][1] / chromaScale);
    const int crCb = fixed(224 * columns[1][2] / chromaScale);
    const int crCr = fixed(224 * columns[2][2] / chromaScale);
    const int lumaOffset = (16 << fractionBits) + half - yy * (fullRange ? 0 : 16);

    auto tables = std::make_shared<Tables>();
    // Limited-range luma keeps its scale (the matrices share their luma axis).
    tables->scaleLuma = yy != one;
    for (int value = 0; value < 256; ++value)
        tables->luma[size_t(value)] = short((yy * value) >> fractionBits);
    tables->chroma.resize(size_t(256 * 256));
    for (int cb = 0; cb < 256; ++cb) {
        for (int cr = 0; cr < 256; ++cr) {
            const int blue = cb - 128;
            const int red = cr - 128;
            tables->chroma[size_t(cb * 256 + cr)] = {
                clamped(128 + ((cbCb * blue + cbCr * red + half) >> fractionBits)),
                clamped(128 + ((crCb * blue + crCr * red + half) >> fractionBits)),
                short((lumaOffset + yCb * blue + yCr * red) >> fractionBits)};
        }
    }
    m_tables = std::move(tables);
}

void Bt601Conversion::apply(QVideoFrame &frame) const
{
    const bool nv12 = frame.pixelFormat() == QVideoFrameFormat::Format_NV12;
    if (!m_tables || (!nv12 && frame.pixelFormat() != QVideoFrameFormat::Format_YUV420P))
        return;
    const int width = frame.width();
    const int height = frame.height();
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    const int step = nv12 ? 2 : 1;
    // Locals throughout: the byte stores may alias anything else, and the compiler would
    // reload members and pointers after each of them instead of vectorising.
    const ChromaEntry *const chroma = m_tables->chroma.data();
    const short *const lumaScale = m_tables->luma.data();
    const bool scaleLuma = m_tables->scaleLuma;
    // The luma correction of each chroma sample spread over the two columns it covers.
    std::vector<short> shifts(size_t(2 * chromaWidth));
    short *const shift = shifts.data();
    uchar *const lumaPlane = frame.bits(0);
    const qsizetype lumaStride = frame.bytesPerLine(0);
    uchar *const cbPlane = frame.bits(1);
    const qsizetype cbStride = frame.bytesPerLine(1);
    uchar *const crPlane = nv12 ? cbPlane + 1 : frame.bits(2);
    const qsizetype crStride = nv12 ? cbStride : frame.bytesPerLine(2);
    for (int row = 0; row < chromaHeight; ++row) {
        uchar *const cb = cbPlane + row * cbStride;
        uchar *const cr = crPlane + row * crStride;
        for (int column = 0; column < chromaWidth; ++column) {
            const ChromaEntry entry = chroma[cb[column * step] * 256 + cr[column * step]];
            cb[column * step] = entry.cb;
            cr[column * step] = entry.cr;
            shift[2 * column] = shift[2 * column + 1] = entry.lumaShift;
        }
        for (int line = 2 * row; line < std::min(2 * row + 2, height); ++line) {
            uchar *const luma = lumaPlane + line * lumaStride;
            if (scaleLuma) {
                for (int x = 0; x < width; ++x)
                    luma[x] = clamped(lumaScale[luma[x]] + shift[x]);
            } else {
                for (int x = 0; x < width; ++x)
                    luma[x] = clamped(luma[x] + shift[x]);
            }
        }
    }
}

} // namespace marquetrix
