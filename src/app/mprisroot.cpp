#include "mprisroot.h"

#include "mprisservice.h"

#include <QCoreApplication>

namespace marquetrix {

MprisRoot::MprisRoot(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service) {}

QString MprisRoot::identity()
{
    return QCoreApplication::applicationName();
}

QString MprisRoot::desktopEntry()
{
    return QStringLiteral("org.marquetrix.Marquetrix");
}

QStringList MprisRoot::supportedUriSchemes()
{
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https"),
            QStringLiteral("rtsp"), QStringLiteral("rtsps")};
}

// The types the desktop entry registers.
QStringList MprisRoot::supportedMimeTypes()
{
    return {QStringLiteral("video/mp4"),
            QStringLiteral("video/x-matroska"),
            QStringLiteral("video/webm"),
            QStringLiteral("video/quicktime"),
            QStringLiteral("video/x-msvideo"),
            QStringLiteral("video/mpeg"),
            QStringLiteral("video/mp2t"),
            QStringLiteral("video/ogg"),
            QStringLiteral("video/x-flv"),
            QStringLiteral("application/vnd.apple.mpegurl"),
            QStringLiteral("application/x-mpegurl")};
}

void MprisRoot::Raise()
{
    m_service->raise();
}

void MprisRoot::Quit()
{
    QCoreApplication::quit();
}

} // namespace marquetrix
