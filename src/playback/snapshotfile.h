#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

namespace marquetrix {

// Snapshots are PNG files in the Marquetrix folder of the user's pictures, named by what they
// show and when; an existing file is never overwritten.
class SnapshotFile
{
public:
    static QString folder();
    // "<title> 00-01-05.200": the video's title and the position shown, in milliseconds.
    static QString tileName(const QString &title, qint64 milliseconds);
    // "Marquetrix 2026-12-06 21-05-09": the whole window at that moment.
    static QString windowName(const QDateTime &when);
    // The path written, or empty when the image could not be written (logged).
    static QString save(const QImage &image, const QString &name);
};

} // namespace marquetrix
