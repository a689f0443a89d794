#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantMap>
#include <memory>

class QQuickWindow;

namespace marquetrix {

class ContentController;
class VideoMetadata;

// The window on the session bus as a media player (org.mpris.MediaPlayer2.marquetrix), so
// that media keys, the desktop's player widgets and playerctl reach it.
class MprisService : public QObject
{
    Q_OBJECT

public:
    MprisService(ContentController *controller, QQuickWindow *window, QObject *parent = nullptr);

    // Takes the bus name; false without a session bus or when the name is taken (another
    // window of ours already answers to the media keys).
    bool claim();

    ContentController *controller() const;
    // The tile the player interface describes: the first one.
    std::shared_ptr<VideoMetadata> firstTile() const;
    bool anyPlaying() const;
    void raise();

private:
    void watchTiles();
    void announceChanges();
    QVariantMap properties() const;

    QPointer<ContentController> m_controller;
    QPointer<QQuickWindow> m_window;
    QList<QMetaObject::Connection> m_tileConnections;
    // Tiles notify on every assignment, often many times per frame: one look per event loop
    // pass is enough to tell what changed.
    QTimer m_announce;
    QVariantMap m_announced;
};

} // namespace marquetrix
