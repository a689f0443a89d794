#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace marquetrix::bench {

// The picture number of each frame, drawn into the clip as a row of black and white cells so
// that what reached the screen can be read back from the window's pixels. The row sits in the
// upper half, clear of the title, the centred control bar and the loading indicator.
class FrameCode
{
public:
    static constexpr int bits = 8;
    static constexpr int period = 1 << bits;

    // The ffmpeg filters that draw the code into a picture of any size.
    static QString filter();
    // The centres of the cells, left to right, for a whole picture drawn at `picture`.
    static std::vector<QPointF> cellCentres(const QRectF &picture);
    // The picture number from the cells' luma (0-255), or nothing when a cell is neither
    // black nor white (something covers the code, or the picture is not there yet).
    static std::optional<int> decode(const std::vector<int> &luma);
    // Pictures that went by unseen between two numbers read one after the other.
    static int skippedBetween(int previous, int current);

private:
    static constexpr double left = 0.3;
    static constexpr double top = 0.2;
    static constexpr double cellWidth = 0.05;
    static constexpr double cellHeight = 0.09;
};

} // namespace marquetrix::bench
