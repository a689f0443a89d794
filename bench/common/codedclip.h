#pragma once

#include <QSize>
#include <QString>

namespace marquetrix::bench {

// Encodes a moving test picture at `path`, drawn through `filters` (ffmpeg's, which mark each
// picture with its number), with a tone as most clips have and a keyframe every second.
// Returns the path, or empty with the reason in `failure`.
QString makeCodedClip(const QString &path, QSize size, int fps, double seconds,
                      const QString &filters, QString &failure);

} // namespace marquetrix::bench
