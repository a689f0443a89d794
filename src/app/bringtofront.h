#pragma once

#include <QQuickWindow>

namespace marquetrix {

// Shows the window in front, also from a minimised state, when the user asked for it from
// outside (another start, the desktop's player widget). The window manager may still decline
// the focus, as it does for any program that was not clicked.
inline void bringToFront(QQuickWindow *window)
{
    window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
    window->raise();
    window->requestActivate();
}

} // namespace marquetrix
