#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace marquetrix {

class MprisService;

// The player part of the media-player interface: media keys, desktop widgets and playerctl
// act on every tile as the window-wide commands do, and read the first tile. There is no
// playlist to step through and a seek of every tile by one bus call has no meaning, so Next,
// Previous and seeking are announced as unsupported. Changes are announced by the service
// with PropertiesChanged: a Qt signal on an adaptor would become a signal of the bus
// interface, so the properties have none.
class MprisPlayer : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate CONSTANT)
    Q_PROPERTY(double MinimumRate READ rate CONSTANT)
    Q_PROPERTY(double MaximumRate READ rate CONSTANT)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ unsupported CONSTANT)
    Q_PROPERTY(bool CanGoPrevious READ unsupported CONSTANT)
    Q_PROPERTY(bool CanSeek READ unsupported CONSTANT)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPlay)
    Q_PROPERTY(bool CanControl READ canControl CONSTANT)

public:
    explicit MprisPlayer(MprisService *service);

    QString playbackStatus() const;
    static double rate() { return 1.0; }
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double value);
    qlonglong position() const;
    static bool unsupported() { return false; }
    bool canPlay() const;
    static bool canControl() { return true; }

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void OpenUri(const QString &uri);
    // Required by the interface; with CanGoNext, CanGoPrevious and CanSeek false they do
    // nothing, as the interface asks.
    void Next() {}
    void Previous() {}
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath &, qlonglong) {}

private:
    MprisService *m_service;
};

} // namespace marquetrix
