#include "picturesfolder.h"

#include <QDir>
#include <QProcess>

namespace marquetrix {

QString picturesFolder()
{
    const QString home = QDir::homePath();
    QProcess query;
    query.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("PICTURES")});
    QString answer;
    if (query.waitForFinished(2000) && query.exitStatus() == QProcess::NormalExit &&
        query.exitCode() == 0)
        answer = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    // Without a configured folder xdg-user-dir names the home folder itself.
    if (answer.isEmpty() || !QDir::isAbsolutePath(answer) || QDir(answer) == QDir(home))
        return home + QStringLiteral("/Pictures");
    return answer;
}

} // namespace marquetrix
