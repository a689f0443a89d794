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
class Translations;
class ViewState;
} // namespace marquetrix

namespace marquetrix::test {

// The real main window on the real engine in the test's process, driven through the X server
// (xdotool) as a user drives it. Its state may be read, to aim and to check, never written.
// Needs scripts/test-session; a crash of the application is a crash of the test.
class AppWindow
{
public:
    AppWindow();
    ~AppWindow();

    // Waits until the window is mapped and holds the focus; it speaks QLocale()'s language.
    // With `session`, as the program does: the videos stored are restored when no arguments
    // are given, and saved on close.
    bool start(const QStringList &arguments = {}, bool session = false);
    QString failure() const { return m_failure; }

    QQuickWindow *window() const { return m_window; }
    ContentController *controller() const { return m_controller.get(); }
    LayoutState *layoutState() const;
    ViewState *viewState() const;
    int tileCount() const;
    QStringList titles() const;
    // In the order of the window's list of videos.
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
    // In window coordinates.
    QPoint centreOf(const QQuickItem *item) const;
    static QRect rectOf(const QQuickItem *item);

    void move(QPoint at);
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    // xdotool key names, one chord: "ctrl+o", "Escape", "Return", "shift+Right".
    void key(const QString &chord);
    void type(const QString &text);
    // As the window manager would, on a drag of the window's edge.
    void resize(QSize size);

    // What the screen shows of the window.
    QImage grab() const;
    static bool near(QRgb pixel, const QColor &colour, int tolerance = 16);
    // The share (0 to 1) of the rectangle's pixels for which `test` holds.
    static double share(const QImage &image, const QRect &rect,
                        const std::function<bool(QRgb)> &test);

    // Everything logged since the window was built.
    QStringList log() const;

    // xdotool run to its end (20 s at most) outside any window; false if it failed.
    static bool xdotool(const QStringList &arguments, QString *output = nullptr);
    // Starts the program and waits until its window is mapped, then gives it the focus.
    static bool launch(QProcess &process, const QString &program,
                       const QStringList &arguments = {});

private:
    void input(const QStringList &arguments);

    std::unique_ptr<Translations> m_translations;
    std::unique_ptr<MediaEngine> m_engine;
    std::unique_ptr<ContentController> m_controller;
    std::unique_ptr<QQmlEngine> m_qml;
    std::unique_ptr<QObject> m_root;
    QQuickWindow *m_window = nullptr;
    QString m_failure;
};

} // namespace marquetrix::test
