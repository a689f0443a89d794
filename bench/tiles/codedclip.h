#pragma once

#include <QSize>
#include <QString>

namespace marquetrix::bench {

// Encodes a moving test clip that carries its picture numbers (FrameCode) into `directory`,
// with audio as most clips have. Returns its path, or empty with the reason in `failure`.
QString makeCodedClip(const QString &directory, QSize size, int fps, double seconds,
                      QString &failure);

} // namespace marquetrix::bench
