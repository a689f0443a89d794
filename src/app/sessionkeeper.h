#pragma once

#include "sessionstore.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

class ContentController;

// The window's videos across runs, and as a playlist file: saves them when the window goes
// away, opens them again on a start that names no videos (unless the setting says not to),
// forgets them on request.
class SessionKeeper : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit SessionKeeper(QObject *parent = nullptr);

    Q_PROPERTY(marquetrix::ContentController *controller READ controller WRITE setController NOTIFY
                   controllerChanged)
    ContentController *controller() const { return m_controller; }
    void setController(ContentController *value);
    Q_SIGNAL void controllerChanged();

    // Why the last playlist was not saved; empty once seen.
    Q_PROPERTY(QString failure READ failure NOTIFY failureChanged)
    QString failure() const { return m_failure; }
    Q_SIGNAL void failureChanged();
    Q_INVOKABLE void dismissFailure();

    // From the start on: the window's videos are saved when it stops (or the stored ones
    // removed, with the setting off); with `restore` the stored ones open first.
    void begin(bool restore);
    // The stored session goes, and the videos the window shows now are not saved again.
    Q_INVOKABLE void clear();
    // An M3U8 file; a name without an extension gets ".m3u8".
    Q_INVOKABLE bool saveAsPlaylist(const QUrl &file);
    // Where the save panel opens: the user's videos folder, or the home folder without one.
    Q_PROPERTY(QUrl playlistFolder READ playlistFolder CONSTANT)
    static QUrl playlistFolder();

private:
    void save();

    QPointer<ContentController> m_controller;
    SessionStore m_store;
    QSet<QUuid> m_forgotten;
    QString m_failure;
};

} // namespace marquetrix
