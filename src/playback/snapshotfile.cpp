#include "snapshotfile.h"

#include "picturesfolder.h"
#include "playbacklogging.h"

#include <QDir>
#include <QFileInfo>

namespace marquetrix {

namespace {

// Titles come from file names and web pages: no folder separators or control characters in
// the file name they give, and no endless names.
QString fileSafe(const QString &text)
{
    QString safe;
    for (const QChar c : text.left(120))
        safe +=
            (c == QLatin1Char('/') || c.category() == QChar::Other_Control) ? QLatin1Char('_') : c;
    safe = safe.trimmed();
    if (safe.isEmpty())
        return QStringLiteral("Video");
    // Not a hidden file.
    return safe.startsWith(QLatin1Char('.')) ? QStringLiteral("Video ") + safe : safe;
}

} // namespace

QString SnapshotFile::folder()
{
    return picturesFolder() + QStringLiteral("/Marquetrix");
}

QString SnapshotFile::tileName(const QString &title, qint64 milliseconds)
{
    milliseconds = std::max<qint64>(milliseconds, 0);
    const qint64 seconds = milliseconds / 1000;
    return QStringLiteral("%1 %2-%3-%4.%5")
        .arg(fileSafe(title))
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds % 1000, 3, 10, QLatin1Char('0'));
}

QString SnapshotFile::windowName(const QDateTime &when)
{
    return QStringLiteral("Marquetrix ") + when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

QString SnapshotFile::save(const QImage &image, const QString &name)
{
    const QString dir = folder();
    if (image.isNull() || !QDir().mkpath(dir)) {
        qCWarning(lcVideoView) << "Cannot save a snapshot in" << dir
                               << (image.isNull() ? "(no picture)" : "(no folder)");
        return {};
    }
    QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1/%2 (%3).png").arg(dir, name).arg(n);
    if (!image.save(path, "PNG")) {
        qCWarning(lcVideoView) << "Cannot write the snapshot" << path;
        return {};
    }
    qCInfo(lcVideoView) << "Snapshot saved:" << path << image.size();
    return path;
}

} // namespace marquetrix
