#include "appdelegate.h"

#include "applogging.h"

#include <QQmlComponent>
#include <QQmlEngine>

namespace marquetrix {

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) {}

AppDelegate::~AppDelegate()
{
    delete m_aboutWindow;
}

void AppDelegate::showAboutWindow()
{
    if (!m_aboutWindow) {
        QQmlEngine *engine = qmlEngine(this);
        if (!engine) {
            qCWarning(lcMain, "No QML engine to build the About window with");
            return;
        }
        QQmlComponent component(
            engine, QUrl(QStringLiteral("qrc:/qt-project.org/imports/Marquetrix/AboutWindow.qml")));
        QObject *created = component.create();
        auto *window = qobject_cast<QQuickWindow *>(created);
        if (!window) {
            delete created;
            qCWarning(lcMain, "Cannot build the About window: %s",
                      qUtf8Printable(component.errorString()));
            return;
        }
        QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
        window->setPosition(500, 500);
        m_aboutWindow = window;
        emit aboutWindowChanged();
    }
    m_aboutWindow->show();
    m_aboutWindow->raise();
    m_aboutWindow->requestActivate();
}

} // namespace marquetrix
