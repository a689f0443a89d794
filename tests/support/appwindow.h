#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QProcess;
class QQmlEngine;
class QQuickItem;
class QQuickWindow;

namespace marquetrix {
class ContentController;
class LayoutState;
class MediaEngine;
class ViewState;
} // namespace marquetrix

namespace marquetrix::test {

// The application's real main window (Main.qml on the real libVLC engine) in the test's
// process, driven as a user drives it: pointer and keys go through the X server (XTEST, by
// xdotool) to the window the window manager placed and focused, and the test checks what the
// screen shows. The window's state may be read (tiles, titles, where an item stands, to aim
// at it) but never written: every change comes from input. Needs the X server and window
// manager of scripts/test-session; a crash of the application is a crash of the test.
class AppWindow
{
public:
    AppWindow();
    ~AppWindow();

    // Builds the window with these command-line arguments (files, links, --fullscreen) and
    // waits until it is mapped and holds the focus.
    bool start(const QStringList &arguments = {});
    QString failure() const { return m_failure; }

    QQuickWindow *window() const { return m_window; }
    ContentController *controller() const;
    LayoutState *layoutState() const;
    ViewState *viewState() const;
    int tileCount() const;
    // The titles of the window's videos, in its order.
    QStringList titles() const;
    // The tiles in the order of the window's list of videos.
    QList<QQuickItem *> tiles() const;
    // The first visible item of that object name (menus and popups included), or null.
    QQuickItem *item(const QString &objectName) const;
    static QQuickItem *inside(QQuickItem *root, const QString &objectName);
    // Every visible item showing this text (buttons, menu items, labels).
    QList<QQuickItem *> itemsWithText(const QString &text) const;
    // A visible item showing this text inside a popup (menu, context menu, tooltip), or null.
    QQuickItem *popupItem(const QString &text) const;
    // Clicks the menu bar's menu of that title (if given) and waits for the entry in a popup.
    QQuickItem *menuEntry(const QString &menu, const QString &entry);
    // An item's centre and rectangle in window coordinates.
    QPoint centreOf(const QQuickItem *item) const;
    static QRect rectOf(const QQuickItem *item);

    // Real input at window coordinates.
    void move(QPoint at);
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    // xdotool key names, one chord: "ctrl+o", "Escape", "Return", "shift+Right".
    void key(const QString &chord);
    void type(const QString &text);
    // As the window manager would, on a drag of the window's edge.
    void resize(QSize size);

    // What the screen shows of the window's content, in window coordinates.
    QImage grab() const;
    static bool near(QRgb pixel, const QColor &colour, int tolerance = 16);
    // The share (0 to 1) of the rectangle's pixels for which `test` holds.
    static double share(const QImage &image, const QRect &rect,
                        const std::function<bool(QRgb)> &test);

    // Everything logged since the window was built (Qt and QML warnings included).
    QStringList log() const;

    // xdotool run to its end (20 s at most) outside any window; false if it failed.
    static bool xdotool(const QStringList &arguments, QString *output = nullptr);
    // Starts the program as a separate process and waits until its window is mapped, then
    // gives it the focus.
    static bool launch(QProcess &process, const QString &program,
                       const QStringList &arguments = {});

private:
    void input(const QStringList &arguments);

    std::unique_ptr<MediaEngine> m_engine;
    std::unique_ptr<QQmlEngine> m_qml;
    std::unique_ptr<QObject> m_root;
    QQuickWindow *m_window = nullptr;
    QString m_failure;
};

} // namespace marquetrix::test
