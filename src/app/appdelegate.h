#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// Keeps the About window: made on the first request and shown again on every later one,
// wherever the user moved it.
class AppDelegate : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    Q_PROPERTY(QQuickWindow *aboutWindow READ aboutWindow NOTIFY aboutWindowChanged)
    QQuickWindow *aboutWindow() const { return m_aboutWindow; }
    Q_SIGNAL void aboutWindowChanged();

    Q_INVOKABLE void showAboutWindow();

private:
    QQuickWindow *m_aboutWindow = nullptr;
};

} // namespace marquetrix
