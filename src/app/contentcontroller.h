#pragma once

#include "layoutstate.h"
#include "mediaengine.h"
#include "openingitem.h"
#include "tilesync.h"
#include "viewstate.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <memory>
#include <optional>

namespace marquetrix {

class LinkOpener;

// The logic of the main window's content: owns the window's ViewState and LayoutState,
// opens files and links as tiles, keeps the measured layout area, runs the window-wide
// pause, full screen and the idle hiding of controls and pointer in full screen. Made by the
// program for its window, which is given it; without an engine it opens nothing.
class ContentController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The window is given its controller")

public:
    explicit ContentController(MediaEngine *engine = nullptr, QObject *parent = nullptr);
    ~ContentController() override;

    Q_PROPERTY(marquetrix::ViewState *viewState READ viewState CONSTANT)
    ViewState *viewState() const { return m_viewState; }

    Q_PROPERTY(marquetrix::LayoutState *layoutState READ layoutState CONSTANT)
    LayoutState *layoutState() const { return m_layoutState; }

    // The window's videos played in step.
    Q_PROPERTY(marquetrix::TileSync *sync READ sync CONSTANT)
    TileSync *sync() const { return m_sync; }

    Q_PROPERTY(marquetrix::MediaEngine *engine READ engine CONSTANT)
    MediaEngine *engine() const { return m_engine; }

    // Whether the content holds the keyboard focus; every change is logged.
    Q_PROPERTY(bool isFocused READ isFocused WRITE setIsFocused NOTIFY isFocusedChanged)
    bool isFocused() const { return m_isFocused; }
    void setIsFocused(bool value);
    Q_SIGNAL void isFocusedChanged();

    // Whether the pointer is hidden (full screen, idle).
    Q_PROPERTY(bool pointerHidden READ pointerHidden NOTIFY pointerHiddenChanged)
    bool pointerHidden() const { return m_pointerHidden; }
    Q_SIGNAL void pointerHiddenChanged();

    // The clock of the idle rules; tests set their own.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // The 0.3 s tick; tests stop it and call tick() themselves.
    QTimer &idleTimer() { return m_idleTimer; }

    // Opens one local or remote media URL as a new tile.
    Q_INVOKABLE void addVideo(const QUrl &url);
    // The open panel's choice: one posted step per file, in order.
    Q_INVOKABLE void openFiles(const QList<QUrl> &urls);
    // Files and links dropped on the window: each opened on the road the open-by-link dialog
    // would take, with stored credentials for its host. Always taken.
    Q_INVOKABLE bool handleDrop(const QList<QUrl> &urls);
    // Files and links given on the command line, in the bytes given, their tiles in the
    // order given: each one waits until the one before has its tile or has failed.
    void openArguments(const QList<QByteArray> &arguments);
    // The same for items that come with their tiles' settings (a saved session).
    void openItems(const QList<OpeningItem> &items);

    // The "failed to open" notice: what failed since it was last dismissed, each naming the
    // file or link.
    Q_PROPERTY(QString failureNotice READ failureNotice NOTIFY failureNoticeChanged)
    QString failureNotice() const;
    Q_SIGNAL void failureNoticeChanged();

    Q_INVOKABLE void showOpenUrl();
    Q_INVOKABLE void togglePause();
    // Every tile paused, or every tile playing; nothing happens without tiles.
    void setAllPaused(bool pause);
    // Entering full screen by the button counts as a pointer movement.
    Q_INVOKABLE void toggleFullScreen();
    // Toggles only while in full screen.
    Q_INVOKABLE void exitFullscreen();
    Q_SIGNAL void toggleFullScreenRequested();

    // The window entered or left full screen.
    Q_INVOKABLE void setFullscreen(bool fullscreen);

    // The measured area on appearing: assigned without comparing.
    Q_INVOKABLE void setMeasuredArea(qreal width, qreal height);
    // At the end of a resize, or when the window becomes active: assigned only when it differs.
    Q_INVOKABLE void refreshMeasuredArea(qreal width, qreal height);

    // Hover reports that repeat the last position (tiles moving under a still pointer) are
    // no movement.
    Q_INVOKABLE void pointerMoved(const QPointF &position);
    Q_INVOKABLE void tick();

    // The window goes away: every player stops and the list empties. `stopping` comes first,
    // while the window still shows what it had.
    Q_INVOKABLE void stopAll();
    Q_SIGNAL void stopping();

private:
    LinkOpener *linkOpener();
    void openNextArgument();
    void openPlaylistItems(const QByteArray &path, const QList<OpeningItem> &items);
    void argumentSettled();
    void addFailure(const QString &notice);
    void watchForPlaybackErrors();

    ViewState *m_viewState;
    LayoutState *m_layoutState;
    TileSync *m_sync;
    MediaEngine *const m_engine;
    std::unique_ptr<LinkOpener> m_linkOpener;
    bool m_isFocused = false;
    bool m_pointerHidden = false;
    std::optional<QPointF> m_lastPointer;
    QList<OpeningItem> m_pendingArguments;
    // Playlists expanded since the queue last ran empty: one that names itself, or a loop of
    // them, opens nothing twice.
    QSet<QByteArray> m_expandedPlaylists;
    QStringList m_failures;
    // Records whose playback error is still to be named in the notice.
    QSet<QUuid> m_watchedRecords;
    bool m_argumentOpening = false;
    QTimer m_argumentBound;
    std::function<QDateTime()> m_clock;
    QTimer m_idleTimer;
};

} // namespace marquetrix
