#include "appwindow.h"

#include "commandline.h"
#include "contentcontroller.h"
#include "layoutstate.h"
#include "videometadata.h"
#include "vlcmediaengine.h"

#include <QCursor>
#include <QMutex>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_SideControlsPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_OpeningPlugin)

namespace marquetrix::test {

namespace {

// The engine logs from its own threads.
QMutex logMutex;
QStringList logLines;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        const QMutexLocker lock(&logMutex);
        logLines.append(message);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

void collect(QQuickItem *item, const std::function<bool(QQuickItem *)> &take,
             QList<QQuickItem *> &found)
{
    if (!item || !item->isVisible())
        return;
    if (take(item))
        found.append(item);
    for (QQuickItem *child : item->childItems())
        collect(child, take, found);
}

} // namespace

AppWindow::AppWindow()
{
    const QMutexLocker lock(&logMutex);
    logLines.clear();
    previousHandler = qInstallMessageHandler(capture);
}

AppWindow::~AppWindow()
{
    if (ContentController *content = controller())
        content->stopAll();
    m_root.reset();
    m_qml.reset();
    m_engine.reset();
    qInstallMessageHandler(previousHandler);
}

bool AppWindow::start(const QStringList &arguments)
{
    // As argv would carry them: file names are bytes.
    QList<QByteArray> argv{QByteArrayLiteral("marquetrix")};
    for (const QString &argument : arguments)
        argv.append(QFile::encodeName(argument));
    const CommandLine commandLine = CommandLine::parse(argv);
    m_engine = std::make_unique<VlcMediaEngine>();
    m_qml = std::make_unique<QQmlEngine>();
    QQmlComponent component(
        m_qml.get(), QUrl(QStringLiteral("qrc:/qt-project.org/imports/Marquetrix/Main.qml")));
    m_root.reset(component.createWithInitialProperties(
        {{QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(m_engine.get())}}));
    m_window = qobject_cast<QQuickWindow *>(m_root.get());
    if (!m_window) {
        m_failure = QStringLiteral("no main window: ") + component.errorString();
        return false;
    }
    if (commandLine.fullscreen())
        m_window->showFullScreen();
    else
        m_window->show();
    if (ContentController *content = controller())
        content->openArguments(commandLine.items());
    if (!QTest::qWaitForWindowExposed(m_window, 10000)) {
        m_failure = QStringLiteral("the window was not mapped");
        return false;
    }
    if (!QTest::qWaitForWindowActive(m_window, 3000)) {
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                 QString::number(m_window->winId())});
        if (!QTest::qWaitForWindowActive(m_window, 5000)) {
            m_failure = QStringLiteral("the window did not get the focus");
            return false;
        }
    }
    return true;
}

ContentController *AppWindow::controller() const
{
    QObject *content = m_root ? m_root->property("content").value<QObject *>() : nullptr;
    return content ? content->property("controller").value<ContentController *>() : nullptr;
}

LayoutState *AppWindow::layoutState() const
{
    return controller() ? controller()->layoutState() : nullptr;
}

ViewState *AppWindow::viewState() const
{
    return controller() ? controller()->viewState() : nullptr;
}

int AppWindow::tileCount() const
{
    return layoutState() ? int(layoutState()->videoMetas().size()) : 0;
}

QList<QQuickItem *> AppWindow::tiles() const
{
    QList<QQuickItem *> found;
    collect(
        m_window ? m_window->contentItem() : nullptr,
        [](QQuickItem *item) { return item->objectName() == u"tile"; }, found);
    QList<QQuickItem *> ordered;
    for (const auto &meta : layoutState()->videoMetas()) {
        for (QQuickItem *tile : std::as_const(found)) {
            if (tile->property("videoMeta").value<VideoMetadata *>() == meta.get())
                ordered.append(tile);
        }
    }
    return ordered;
}

QQuickItem *AppWindow::item(const QString &objectName) const
{
    return inside(m_window ? m_window->contentItem() : nullptr, objectName);
}

QQuickItem *AppWindow::inside(QQuickItem *root, const QString &objectName)
{
    QList<QQuickItem *> found;
    collect(
        root, [&](QQuickItem *item) { return item->objectName() == objectName; }, found);
    return found.value(0);
}

QQuickItem *AppWindow::popupItem(const QString &text) const
{
    for (QQuickItem *item : itemsWithText(text)) {
        for (QQuickItem *up = item; up; up = up->parentItem()) {
            if (up->inherits("QQuickPopupItem"))
                return item;
        }
    }
    return nullptr;
}

QList<QQuickItem *> AppWindow::itemsWithText(const QString &text) const
{
    QList<QQuickItem *> found;
    collect(
        m_window ? m_window->contentItem() : nullptr,
        [&](QQuickItem *item) { return item->property("text").toString() == text; }, found);
    return found;
}

QPoint AppWindow::centreOf(const QQuickItem *item) const
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

QRect AppWindow::rectOf(const QQuickItem *item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toRect();
}

QPoint AppWindow::global(QPoint at) const
{
    return m_window->mapToGlobal(at);
}

void AppWindow::xdotool(const QStringList &arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
    // Lets the window take the events before the next step.
    QTest::qWait(50);
}

void AppWindow::move(QPoint at)
{
    const QPoint to = global(at);
    // xdotool's --sync waits for a movement, some 15 s in vain when the pointer is there.
    if (QCursor::pos(m_window->screen()) == to)
        return;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(to.x()),
             QString::number(to.y())});
}

void AppWindow::click(QPoint at, Qt::MouseButton button)
{
    move(at);
    xdotool({QStringLiteral("click"), button == Qt::RightButton    ? QStringLiteral("3")
                                      : button == Qt::MiddleButton ? QStringLiteral("2")
                                                                   : QStringLiteral("1")});
}

void AppWindow::doubleClick(QPoint at)
{
    move(at);
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
             QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

void AppWindow::drag(QPoint from, QPoint to)
{
    move(from);
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    // In steps, so that the drag threshold and the hover over targets are seen.
    constexpr int steps = 10;
    for (int i = 1; i <= steps; ++i)
        move(from + (to - from) * i / steps);
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
}

void AppWindow::key(const QString &chord)
{
    xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), chord});
}

void AppWindow::type(const QString &text)
{
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
}

void AppWindow::resize(QSize size)
{
    xdotool({QStringLiteral("windowsize"), QString::number(m_window->winId()),
             QString::number(size.width()), QString::number(size.height())});
}

QImage AppWindow::grab() const
{
    const QPoint origin = global(QPoint(0, 0));
    return m_window->screen()
        ->grabWindow(0, origin.x(), origin.y(), m_window->width(), m_window->height())
        .toImage();
}

bool AppWindow::near(QRgb pixel, const QColor &colour, int tolerance)
{
    return qAbs(qRed(pixel) - colour.red()) <= tolerance &&
           qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
           qAbs(qBlue(pixel) - colour.blue()) <= tolerance;
}

double AppWindow::share(const QImage &image, const QRect &rect,
                        const std::function<bool(QRgb)> &test)
{
    const QRect area = rect.intersected(image.rect());
    if (area.isEmpty())
        return 0;
    qint64 hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            hits += test(image.pixel(x, y));
    return double(hits) / double(area.width() * area.height());
}

QStringList AppWindow::log() const
{
    const QMutexLocker lock(&logMutex);
    return logLines;
}

bool AppWindow::logged(const QString &part) const
{
    const QMutexLocker lock(&logMutex);
    return std::any_of(logLines.cbegin(), logLines.cend(),
                       [&](const QString &line) { return line.contains(part); });
}

} // namespace marquetrix::test
