#pragma once

#include "videocolour.h"

#include <QVideoFrame>
#include <array>
#include <memory>
#include <vector>

namespace marquetrix {

// Rewrites the samples of an 8-bit 4:2:0 picture (YUV420P or NV12) in place from the
// source's matrix and range into BT.601 limited range, the one YCbCr encoding Qt 6.4
// draws right: its BT.709 matrices and its BT.601 full-range one are wrong, and a window
// keeps the matrix of the first frame it draws in each pixel format for all later ones.
// Luma takes the correction of the chroma sample that covers it.
class Bt601Conversion
{
public:
    Bt601Conversion() = default;
    explicit Bt601Conversion(VideoColour::Matrix matrix, bool fullRange);

    // frame is mapped for writing. Does nothing when the samples are BT.601 limited range
    // already.
    void apply(QVideoFrame &frame) const;

private:
    struct ChromaEntry
    {
        uchar cb;
        uchar cr;
        // What the chroma adds to the luma it covers, in whole steps.
        short lumaShift;
    };
    // Indexed by sample value; the chroma table by Cb * 256 + Cr. Shared: the conversion
    // is copied for every picture.
    struct Tables
    {
        bool scaleLuma = false;
        std::array<short, 256> luma{};
        std::vector<ChromaEntry> chroma;
    };

    std::shared_ptr<const Tables> m_tables;
};

} // namespace marquetrix
