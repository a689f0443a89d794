#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

namespace marquetrix {

class MprisService;

// The application part of the media-player interface desktops use for their players.
// D-Bus properties here are fixed; they take no Qt change signals, since every signal of an
// adaptor would become a signal of the bus interface.
class MprisRoot : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit CONSTANT)
    Q_PROPERTY(bool CanRaise READ canRaise CONSTANT)
    Q_PROPERTY(bool HasTrackList READ hasTrackList CONSTANT)
    Q_PROPERTY(QString Identity READ identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes CONSTANT)

public:
    explicit MprisRoot(MprisService *service);

    static bool canQuit() { return true; }
    static bool canRaise() { return true; }
    static bool hasTrackList() { return false; }
    static QString identity();
    static QString desktopEntry();
    static QStringList supportedUriSchemes();
    static QStringList supportedMimeTypes();

public slots:
    void Raise();
    void Quit();

private:
    MprisService *m_service;
};

} // namespace marquetrix
