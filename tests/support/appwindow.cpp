#include "appwindow.h"

#include "commandline.h"
#include "contentcontroller.h"
#include "layoutstate.h"
#include "scenegraphchoice.h"
#include "sessionkeeper.h"
#include "translations.h"
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
Q_IMPORT_QML_PLUGIN(Marquetrix_OpeningPlugin)

using namespace Qt::StringLiterals;

namespace marquetrix::test {

namespace {

// The engine logs from its own threads.
QMutex logMutex;
QStringList logLines;
QtMessageHandler previousHandler = nullptr;
// A window made while another still lives must not take capture for the handler before it:
// capture would then call itself for ever.
int liveWindows = 0;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        const QMutexLocker lock(&logMutex);
        logLines.append(message);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

QList<QQuickItem *> collect(QQuickItem *root, const std::function<bool(QQuickItem *)> &take)
{
    QList<QQuickItem *> found;
    const std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
        if (!item || !item->isVisible())
            return;
        if (take(item))
            found.append(item);
        for (QQuickItem *child : item->childItems())
            walk(child);
    };
    walk(root);
    return found;
}

} // namespace

AppWindow::AppWindow()
{
    const QMutexLocker lock(&logMutex);
    logLines.clear();
    if (liveWindows++ == 0)
        previousHandler = qInstallMessageHandler(capture);
}

AppWindow::~AppWindow()
{
    if (ContentController *content = controller())
        content->stopAll();
    m_root.reset();
    m_qml.reset();
    m_controller.reset();
    m_engine.reset();
    const QMutexLocker lock(&logMutex);
    if (--liveWindows == 0)
        qInstallMessageHandler(previousHandler);
}

bool AppWindow::start(const QStringList &arguments, bool session)
{
    // As argv would carry them: file names are bytes.
    QList<QByteArray> argv{"marquetrix"};
    for (const QString &argument : arguments)
        argv.append(QFile::encodeName(argument));
    const CommandLine commandLine = CommandLine::parse(argv);
    // Drawn as the program draws it on this machine; the choice holds for the process.
    static const bool drawingChosen = (SceneGraphChoice::apply(), true);
    Q_UNUSED(drawingChosen);
    m_translations = std::make_unique<Translations>();
    m_engine = std::make_unique<VlcMediaEngine>();
    m_controller = std::make_unique<ContentController>(m_engine.get());
    m_qml = std::make_unique<QQmlEngine>();
    QQmlComponent component(m_qml.get(),
                            QUrl(u"qrc:/qt-project.org/imports/Marquetrix/Main.qml"_s));
    m_root.reset(component.createWithInitialProperties(
        {{u"controller"_s, QVariant::fromValue(m_controller.get())}}));
    const auto fail = [this](const QString &why) { return m_failure = why, false; };
    m_window = qobject_cast<QQuickWindow *>(m_root.get());
    if (!m_window)
        return fail(u"no main window: "_s + component.errorString());
    commandLine.fullscreen() ? m_window->showFullScreen() : m_window->show();
    m_controller->openArguments(commandLine.items());
    if (auto *keeper = m_window->property("session").value<SessionKeeper *>(); keeper && session)
        keeper->begin(commandLine.items().isEmpty());
    if (!QTest::qWaitForWindowExposed(m_window, 10000))
        return fail(u"the window was not mapped"_s);
    if (!QTest::qWaitForWindowActive(m_window, 3000))
        xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(m_window->winId())});
    return QTest::qWaitForWindowActive(m_window, 5000) ||
           fail(u"the window did not get the focus"_s);
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

QStringList AppWindow::titles() const
{
    QStringList result;
    for (const auto &meta : layoutState()->videoMetas())
        result.append(meta->title());
    return result;
}

QList<QQuickItem *> AppWindow::tiles() const
{
    const QList<QQuickItem *> found = collect(
        m_window->contentItem(), [](QQuickItem *item) { return item->objectName() == u"tile"; });
    QList<QQuickItem *> ordered;
    for (const auto &meta : layoutState()->videoMetas()) {
        for (QQuickItem *tile : found) {
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
    return collect(root, [&](QQuickItem *item) { return item->objectName() == objectName; })
        .value(0);
}

QList<QQuickItem *> AppWindow::itemsWithText(const QString &text) const
{
    return collect(m_window ? m_window->contentItem() : nullptr,
                   [&](QQuickItem *item) { return item->property("text").toString() == text; });
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

QQuickItem *AppWindow::menuEntry(const QString &menu, const QString &entry)
{
    if (!menu.isEmpty())
        click(centreOf(itemsWithText(menu).value(0)));
    QQuickItem *item = nullptr;
    return QTest::qWaitFor([&] { return (item = popupItem(entry)) != nullptr; }) ? item : nullptr;
}

QPoint AppWindow::centreOf(const QQuickItem *item) const
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

QRect AppWindow::rectOf(const QQuickItem *item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toRect();
}

bool AppWindow::xdotool(const QStringList &arguments, QString *output)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    // A search for a window that never comes would wait for ever.
    const bool ended = process.waitForFinished(20000);
    process.kill();
    if (output)
        *output = QString::fromLatin1(process.readAllStandardOutput());
    return ended && process.exitCode() == 0;
}

bool AppWindow::launch(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.start(program, arguments);
    QString windows;
    xdotool({u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--pid"_s,
             QString::number(process.waitForStarted() ? process.processId() : 0)},
            &windows);
    const QString window = windows.split(u'\n').value(0);
    // The window manager may have focused it already: activation is best effort.
    return !window.isEmpty() && (xdotool({u"windowactivate"_s, u"--sync"_s, window}), true);
}

void AppWindow::input(const QStringList &arguments)
{
    xdotool(arguments);
    // Lets the window take the events before the next step.
    QTest::qWait(50);
}

void AppWindow::move(QPoint at)
{
    const QPoint to = m_window->mapToGlobal(at);
    // xdotool's --sync waits for a movement, some 15 s in vain when the pointer is there.
    if (QCursor::pos(m_window->screen()) != to)
        input({u"mousemove"_s, u"--sync"_s, QString::number(to.x()), QString::number(to.y())});
}

void AppWindow::click(QPoint at, Qt::MouseButton button)
{
    move(at);
    input({u"click"_s, button == Qt::RightButton ? u"3"_s : u"1"_s});
}

void AppWindow::key(const QString &chord)
{
    input({u"key"_s, u"--clearmodifiers"_s, chord});
}

void AppWindow::type(const QString &text)
{
    input({u"type"_s, u"--delay"_s, u"15"_s, text});
}

void AppWindow::resize(QSize size)
{
    input({u"windowsize"_s, QString::number(m_window->winId()), QString::number(size.width()),
           QString::number(size.height())});
}

QImage AppWindow::grab() const
{
    const QPoint origin = m_window->mapToGlobal(QPoint(0, 0));
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
    qint64 hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            hits += test(image.pixel(x, y));
    return area.isEmpty() ? 0 : double(hits) / double(area.width() * area.height());
}

QStringList AppWindow::log() const
{
    const QMutexLocker lock(&logMutex);
    return logLines;
}

} // namespace marquetrix::test
