#include "framecode.h"

namespace marquetrix::bench {

QString FrameCode::filter()
{
    QString chain = QStringLiteral("drawbox=x=iw*%1:y=ih*%2:w=iw*%3:h=ih*%4:color=black:t=fill")
                        .arg(left)
                        .arg(top)
                        .arg(cellWidth * bits)
                        .arg(cellHeight);
    // Bit 0 on the left. Each cell is switched on by ffmpeg's timeline for the frames whose
    // number has that bit set.
    for (int bit = 0; bit < bits; ++bit)
        chain += QStringLiteral(",drawbox=x=iw*%1:y=ih*%2:w=iw*%3:h=ih*%4:color=white:t=fill:"
                                "enable='gte(mod(n,%5),%6)'")
                     .arg(left + cellWidth * bit)
                     .arg(top)
                     .arg(cellWidth)
                     .arg(cellHeight)
                     .arg(2 << bit)
                     .arg(1 << bit);
    return chain;
}

std::vector<QPointF> FrameCode::cellCentres(const QRectF &picture)
{
    std::vector<QPointF> centres;
    for (int bit = 0; bit < bits; ++bit)
        centres.emplace_back(picture.x() + picture.width() * (left + cellWidth * (bit + 0.5)),
                             picture.y() + picture.height() * (top + cellHeight / 2));
    return centres;
}

std::optional<int> FrameCode::decode(const std::vector<int> &luma)
{
    if (luma.size() != std::size_t(bits))
        return std::nullopt;
    int value = 0;
    for (int bit = 0; bit < bits; ++bit) {
        // Wide margins: encoding and scaling blur a cell's edges, never its centre.
        if (luma[bit] > 64 && luma[bit] < 192)
            return std::nullopt;
        if (luma[bit] >= 192)
            value |= 1 << bit;
    }
    return value;
}

int FrameCode::skippedBetween(int previous, int current)
{
    return (current - previous + period) % period - 1;
}

} // namespace marquetrix::bench
