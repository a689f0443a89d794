#pragma once

#include "contentcontroller.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// The menu commands: they act on the focused window's content (none while another window,
// such as About, is active), compute the titles that follow the window-wide switches and the
// enabling rules. A command that finds no focused window logs what it missed and does
// nothing.
class AppCommands : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit AppCommands(QObject *parent = nullptr);

    Q_PROPERTY(
        marquetrix::ContentController *focused READ focused WRITE setFocused NOTIFY focusedChanged)
    ContentController *focused() const { return m_focused; }
    void setFocused(ContentController *value);
    Q_SIGNAL void focusedChanged();

    // The product's help page.
    Q_PROPERTY(QUrl helpUrl READ helpUrl CONSTANT)
    static QUrl helpUrl();

    Q_PROPERTY(QString pauseAllTitle READ pauseAllTitle NOTIFY stateChanged)
    QString pauseAllTitle() const;
    Q_PROPERTY(QString repeatAllTitle READ repeatAllTitle NOTIFY stateChanged)
    QString repeatAllTitle() const;
    Q_PROPERTY(QString muteAllTitle READ muteAllTitle NOTIFY stateChanged)
    QString muteAllTitle() const;
    // The Playback items: a focused window with at least one video.
    Q_PROPERTY(bool playbackEnabled READ playbackEnabled NOTIFY stateChanged)
    bool playbackEnabled() const;
    // Shuffle: a focused window with at least two videos.
    Q_PROPERTY(bool shuffleEnabled READ shuffleEnabled NOTIFY stateChanged)
    bool shuffleEnabled() const;
    Q_SIGNAL void stateChanged();

    Q_INVOKABLE void showOpenUrl();
    Q_INVOKABLE void showLayoutSettings();
    Q_INVOKABLE void pauseAll();
    Q_INVOKABLE void repeatAll();
    Q_INVOKABLE void muteAll();
    Q_INVOKABLE void shuffle();
    // Every video one speed step faster (direction > 0) or slower (< 0), or at normal speed (0).
    Q_INVOKABLE void changeSpeedAll(int direction);
    // Every video by so many seconds, back when negative; a sync group stays in step.
    Q_INVOKABLE void seekAll(int seconds);
    // A snapshot of every video, and one of the whole window as it shows them.
    Q_INVOKABLE void snapshotAll(QQuickWindow *window);

private:
    ViewState *viewState() const;
    LayoutState *layoutState() const;
    void watch(ContentController *content);

    // Cleared when the content goes away.
    ContentController *m_focused = nullptr;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace marquetrix
