#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <chrono>

class QQuickWindow;

namespace marquetrix {

class ContentController;

// One window per session, as a file manager's "Open With" expects: a later start hands its
// files and links to the running window over the session bus and exits. The items stay
// bytes on the way, since a file name need not be valid in any encoding.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.marquetrix.Marquetrix")

public:
    explicit SingleInstance(QObject *parent = nullptr);

    // Gives the items to the process that owns the bus name. False when none does, or when
    // it does not take them within `timeout` (a stopped or hung process): the caller then
    // starts a window of its own rather than waiting for one that may never answer.
    static bool handOver(const QList<QByteArray> &items, std::chrono::milliseconds timeout);

    // Takes the bus name for this process. False without a session bus or when another
    // process holds the name; this window then works alone.
    bool claim();

    // Items handed over open as tiles of this window, after those already opening, and the
    // window comes to the front.
    void serve(ContentController *controller, QQuickWindow *window);

public slots:
    Q_SCRIPTABLE void Open(const QList<QByteArray> &items);

private:
    QPointer<ContentController> m_controller;
    QPointer<QQuickWindow> m_window;
};

} // namespace marquetrix
