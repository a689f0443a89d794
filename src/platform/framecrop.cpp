#include "framecrop.h"

#include <algorithm>

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

} // namespace marquetrix
