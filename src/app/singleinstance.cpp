#include "singleinstance.h"

#include "applogging.h"
#include "bringtofront.h"
#include "contentcontroller.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QQuickWindow>
#include <sys/stat.h>
#include <unistd.h>

namespace marquetrix {

namespace {

const QString kService = QStringLiteral("org.marquetrix.Marquetrix");
const QString kPath = QStringLiteral("/org/marquetrix/Marquetrix");

// The running window has another working directory: a relative name of an existing file is
// made absolute here, where it was meant. Anything else (links, missing files) goes as
// given, so the running window reports it as it would its own.
QByteArray absoluteIfFile(const QByteArray &item)
{
    struct stat status;
    if (item.startsWith('/') || ::stat(item.constData(), &status) != 0)
        return item;
    QByteArray directory(4096, Qt::Uninitialized);
    if (!::getcwd(directory.data(), static_cast<size_t>(directory.size())))
        return item;
    directory.truncate(static_cast<qsizetype>(qstrlen(directory.constData())));
    return directory + '/' + item;
}

} // namespace

SingleInstance::SingleInstance(QObject *parent) : QObject(parent)
{
    qDBusRegisterMetaType<QList<QByteArray>>();
}

bool SingleInstance::handOver(const QList<QByteArray> &items, std::chrono::milliseconds timeout)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kService))
        return false;
    qDBusRegisterMetaType<QList<QByteArray>>();
    QList<QByteArray> absolute;
    absolute.reserve(items.size());
    for (const QByteArray &item : items)
        absolute.append(absoluteIfFile(item));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Open"));
    call << QVariant::fromValue(absolute);
    const QDBusMessage reply = bus.call(call, QDBus::Block, static_cast<int>(timeout.count()));
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qCWarning(lcInstance, "The running window did not take the items (%s); opening another",
              qUtf8Printable(reply.errorMessage()));
    return false;
}

bool SingleInstance::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcInstance, "No session bus: each start opens a window of its own");
        return false;
    }
    // The object before the name, so that a start that finds the name finds it answering.
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots))
        return false;
    if (!bus.registerService(kService)) {
        bus.unregisterObject(kPath);
        return false;
    }
    return true;
}

void SingleInstance::serve(ContentController *controller, QQuickWindow *window)
{
    m_controller = controller;
    m_window = window;
}

void SingleInstance::Open(const QList<QByteArray> &items)
{
    if (m_controller)
        m_controller->openArguments(items);
    if (m_window)
        bringToFront(m_window);
}

} // namespace marquetrix
