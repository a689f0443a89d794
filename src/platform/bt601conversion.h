#pragma once

#include "videocolour.h"

#include <QVideoFrame>

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

    // False when the samples are BT.601 limited range already.
    bool isNeeded() const { return m_needed; }
    // frame is mapped for writing.
    void apply(QVideoFrame &frame) const;

private:
    bool m_needed = false;
    // Fixed-point coefficients (14 fraction bits) on samples less their offsets.
    int m_yy = 0;
    int m_yCb = 0;
    int m_yCr = 0;
    int m_cbCb = 0;
    int m_cbCr = 0;
    int m_crCb = 0;
    int m_crCr = 0;
    int m_lumaOffset = 0;
};

} // namespace marquetrix
