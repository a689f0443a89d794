#include "aboutinfo.h"

#include "applogging.h"

#include <QCoreApplication>
#include <QFile>
#include <QVariantMap>

namespace marquetrix {

namespace {

QString licenseText(const QString &name)
{
    QFile file(QStringLiteral(":/marquetrix/licenses/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcMain, "Licence text %s missing from the build", qUtf8Printable(name));
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

AboutInfo::AboutInfo(QObject *parent) : QObject(parent) {}

QString AboutInfo::version() const
{
    return QCoreApplication::applicationVersion();
}

QVariantList AboutInfo::licenses() const
{
    const struct
    {
        const char *heading;
        const char *file;
    } shipped[] = {
        {"GNU Lesser General Public License Version 3, 29 June 2007 (Qt)", "LGPL-3"},
        {"GNU Lesser Public License Version 2.1, February 1999 (libVLC, FFmpeg, libsecret)",
         "LGPL-2.1"},
        // Debian builds FFmpeg's libraries with their GPL parts enabled.
        {"GNU General Public License Version 2, June 1991 (FFmpeg as built by Debian)", "GPL-2"},
    };
    QVariantList result;
    for (const auto &license : shipped)
        result.append(
            QVariantMap{{QStringLiteral("heading"), QString::fromUtf8(license.heading)},
                        {QStringLiteral("text"), licenseText(QString::fromUtf8(license.file))}});
    return result;
}

} // namespace marquetrix
