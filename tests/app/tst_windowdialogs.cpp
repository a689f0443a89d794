// The real window driven through the X server: every dialog, menu and window it offers opens,
// takes the keyboard and closes again without a missing module; a file dialog whose
// implementation cannot load is refused with a message instead of taking the program down;
// the desktop's own file dialog opens its files in the window it came from.

#include "appwindow.h"
#include "mediagenerator.h"
#include "testhttpserver.h"
#include "viewstate.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace marquetrix::test;

namespace {

// False when it failed or did not end within 20 s (a search for a window that never comes).
bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    const bool ended = process.waitForFinished(20000);
    if (!ended)
        process.kill();
    return ended && process.exitCode() == 0;
}

// A copy of `source` in which `hidden` (a path below it) is missing, made of links.
bool mirrorWithout(const QString &source, const QString &target, const QString &hidden)
{
    if (!QDir().mkpath(target))
        return false;
    for (const QFileInfo &entry :
         QDir(source).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString path = entry.absoluteFilePath();
        const QString copy = target + QLatin1Char('/') + entry.fileName();
        if (path == hidden)
            continue;
        const bool ok = hidden.startsWith(path + QLatin1Char('/'))
                            ? mirrorWithout(path, copy, hidden)
                            : QFile::link(path, copy);
        if (!ok)
            return false;
    }
    return true;
}

// Starts the program and answers its window's id once the window is mapped and focused.
QString startProgram(QProcess &app, const QString &program, const QStringList &arguments = {})
{
    app.start(program, arguments);
    if (!app.waitForStarted())
        return {};
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--sync"),
                  QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                  QString::number(app.processId())});
    search.waitForFinished(30000);
    const QString window = QString::fromLatin1(search.readAllStandardOutput()).split('\n').value(0);
    if (!window.isEmpty())
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    return window;
}

QQuickItem *menuItem(const AppWindow &app, const QString &text)
{
    for (QQuickItem *item : app.itemsWithText(text)) {
        if (item->inherits("QQuickMenuItem") || item->inherits("QQuickMenuBarItem"))
            return item;
    }
    return nullptr;
}

// The toolkit's own file dialog's button of that text.
QQuickItem *fileDialogButton(const AppWindow &app, const QString &text)
{
    for (QQuickItem *item : app.itemsWithText(text)) {
        for (const QObject *up = item; up; up = up->parent()) {
            if (up->inherits("QQuickFileDialogImpl"))
                return item;
        }
    }
    return nullptr;
}

} // namespace

class TestWindowDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDialogOpensAndCloses();
    void fileDialogWithoutItsModuleIsRefused();
    void desktopFileDialogOpensIntoItsWindow();
};

void TestWindowDialogs::initTestCase()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("needs the X server of the test session (scripts/test-session)");
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
}

void TestWindowDialogs::everyDialogOpensAndCloses()
{
    // The update check reads a feed served on 127.0.0.1.
    QTemporaryDir feedDir;
    QFile feed(feedDir.filePath(QStringLiteral("appcast.xml")));
    QVERIFY(feed.open(QIODevice::WriteOnly));
    feed.write(R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><item><title>Marquetrix 9.0</title>
<enclosure url="https://example.org/m.tar.xz" sparkle:shortVersionString="9.0"/></item>
</channel></rss>)");
    feed.close();
    TestHttpServer http(feedDir.path());
    QVERIFY(http.start());
    qputenv("MARQUETRIX_APPCAST_URL", http.url(QStringLiteral("appcast.xml")).toEncoded());
    const auto unset = qScopeGuard([] { qunsetenv("MARQUETRIX_APPCAST_URL"); });
    QSettings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix")).clear();

    AppWindow app;
    QVERIFY2(app.start(), qPrintable(app.failure()));
    QObject *fileDialog = app.window()->findChild<QObject *>(QStringLiteral("fileDialog"));
    QVERIFY(fileDialog);
    const auto fileDialogShown = [&] { return fileDialog->property("visible").toBool(); };
    const auto cancelFileDialog = [&] {
        QQuickItem *cancel = nullptr;
        QTRY_VERIFY((cancel = fileDialogButton(app, QStringLiteral("Cancel"))));
        app.click(app.centreOf(cancel));
        QTRY_VERIFY(!fileDialogShown());
    };
    const auto choose = [&](const QString &menu, const QString &entry) {
        app.click(app.centreOf(menuItem(app, menu)));
        QQuickItem *item = nullptr;
        QTRY_VERIFY2((item = menuItem(app, entry)), qPrintable(entry));
        app.click(app.centreOf(item));
    };
    const auto shown = [&](const char *name) {
        return app.window()->findChild<QObject *>(QLatin1String(name))->property("opened").toBool();
    };

    // The file dialog from the menu's key, the welcome link and the toolbar's menu.
    app.key(QStringLiteral("ctrl+o"));
    QTRY_VERIFY(fileDialogShown());
    app.key(QStringLiteral("Escape"));
    QTRY_VERIFY(!fileDialogShown());
    app.click(app.centreOf(app.item(QStringLiteral("welcomeOpenFiles"))));
    QTRY_VERIFY(fileDialogShown());
    cancelFileDialog();
    app.click(app.centreOf(app.item(QStringLiteral("addVideoButton"))));
    QTRY_VERIFY(menuItem(app, QStringLiteral("Open Files")));
    app.click(app.centreOf(menuItem(app, QStringLiteral("Open Files"))));
    QTRY_VERIFY(fileDialogShown());
    cancelFileDialog();

    // The open-by-link dialog: a blank typed into its field is text, not the pause key.
    choose(QStringLiteral("&File"), QStringLiteral("Open URL"));
    QTRY_VERIFY(shown("openUrlSlot"));
    QQuickItem *field = app.item(QStringLiteral("videoUrlField"));
    app.click(app.centreOf(field));
    QTRY_VERIFY(field->hasActiveFocus());
    app.type(QStringLiteral("a b"));
    QTRY_COMPARE(field->property("text").toString(), QStringLiteral("a b"));
    QVERIFY(!app.viewState()->globalPause());
    app.click(app.centreOf(app.item(QStringLiteral("cancelButton"))));
    QTRY_VERIFY(!shown("openUrlSlot"));

    // The layout settings take effect at once and are kept; Return closes them.
    choose(QStringLiteral("&Layout"), QStringLiteral("Settings"));
    QTRY_VERIFY(shown("settingsSlot"));
    QQuickItem *screenUsage = nullptr;
    QTRY_VERIFY((screenUsage = app.item(QStringLiteral("algorithm0"))));
    QVERIFY(app.item(QStringLiteral("algorithm1"))->property("checked").toBool());
    app.click(screenUsage->mapToScene(QPointF(10, screenUsage->height() / 2)).toPoint());
    QTRY_VERIFY(screenUsage->property("checked").toBool());
    QCOMPARE(QSettings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix"))
                 .value(QStringLiteral("layoutAlgorithm")),
             QVariant(0));
    app.key(QStringLiteral("Return"));
    QTRY_VERIFY(!shown("settingsSlot"));

    // The update check tells what the feed offers.
    choose(QStringLiteral("&Help"), QStringLiteral("Check for Updates\u2026"));
    QQuickItem *message = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((message = app.item(QStringLiteral("updateMessage"))), 10000);
    QCOMPARE(message->property("text").toString(),
             QStringLiteral("Marquetrix 9.0 is available; you have 1.2.3."));
    app.click(app.centreOf(app.itemsWithText(QStringLiteral("OK")).value(0)));
    QTRY_VERIFY(!app.item(QStringLiteral("updateMessage")));

    // The About window, closed through the window manager; asked again, the same one shows.
    QWindow *about = nullptr;
    QWindow *first = nullptr;
    const auto aboutShown = [&] {
        int count = 0;
        for (QWindow *window : QGuiApplication::topLevelWindows()) {
            if (window->title() == u"About Marquetrix" && window->isExposed())
                about = window, ++count;
        }
        return count == 1;
    };
    for (int time = 0; time < 2; ++time) {
        choose(QStringLiteral("&Help"), QStringLiteral("About Marquetrix"));
        QTRY_VERIFY(aboutShown());
        QTRY_VERIFY(about->isActive());
        QCOMPARE(about, first ? first : about);
        first = about;
        QCOMPARE(about->findChild<QQuickItem *>(QStringLiteral("aboutVersion"))
                     ->property("text")
                     .toString(),
                 QStringLiteral("Version 1.2.3"));
        app.key(QStringLiteral("alt+F4"));
        QTRY_VERIFY(!about->isVisible());
    }

    // A clip chosen by typing its path in the dialog plays in a tile, with what that loads.
    MediaGenerator media;
    const QString clip = media.clip({.size = {320, 180}, .seconds = 10});
    QVERIFY2(!clip.isEmpty(), qPrintable(media.failure()));
    app.key(QStringLiteral("ctrl+o"));
    QTRY_VERIFY(fileDialogShown());
    app.key(QStringLiteral("ctrl+l"));
    app.type(clip);
    app.key(QStringLiteral("Return"));
    QTRY_COMPARE(app.tileCount(), 1);
    QTRY_VERIFY(!fileDialogShown());

    QVERIFY2(!app.logged(QStringLiteral("is not installed")), qPrintable(app.log().join('\n')));
    QVERIFY2(!app.logged(QStringLiteral("Failed to load")), qPrintable(app.log().join('\n')));
}

// The program itself, in a Qt whose QML modules lack the one the toolkit's own file dialog
// is made of, as on a machine without that package.
void TestWindowDialogs::fileDialogWithoutItsModuleIsRefused()
{
    QTemporaryDir scratch;
    const QString modules = QLibraryInfo::path(QLibraryInfo::QmlImportsPath);
    QVERIFY(mirrorWithout(modules, scratch.filePath(QStringLiteral("qml")),
                          modules + QStringLiteral("/Qt/labs/folderlistmodel")));
    const QString program = scratch.filePath(QStringLiteral("marquetrix"));
    QVERIFY(QFile::copy(QStringLiteral(MARQUETRIX_BINARY), program));
    QFile conf(scratch.filePath(QStringLiteral("qt.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("[Paths]\nPrefix=%1\nPlugins=%2\nQmlImports=%3\n")
                   .arg(QLibraryInfo::path(QLibraryInfo::PrefixPath),
                        QLibraryInfo::path(QLibraryInfo::PluginsPath),
                        scratch.filePath(QStringLiteral("qml")))
                   .toUtf8());
    conf.close();

    QProcess app;
    const auto stop = qScopeGuard([&] {
        app.kill();
        app.waitForFinished();
    });
    QVERIFY(!startProgram(app, program).isEmpty());
    xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+o")});
    QString log;
    QTRY_VERIFY_WITH_TIMEOUT((log += QString::fromUtf8(app.readAllStandardError()),
                              log.contains(QStringLiteral("Cannot show the file dialog")) ||
                                  app.state() != QProcess::Running),
                             15000);
    QVERIFY2(log.contains(QStringLiteral("Qt.labs.folderlistmodel")), qPrintable(log));
    QTest::qWait(1000);
    QCOMPARE(app.state(), QProcess::Running);
    app.terminate();
    QVERIFY(app.waitForFinished(15000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
}

// With the desktop's own file dialog, which takes the focus from the window while it is up.
void TestWindowDialogs::desktopFileDialogOpensIntoItsWindow()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                       QStringLiteral("/platformthemes/libqgtk3.so")))
        QSKIP("needs the GTK platform theme (scripts/install-deps)");
    MediaGenerator media;
    const QString clip =
        media.clip({.size = {640, 360}, .seconds = 30, .pattern = ClipPattern::Quadrants});
    QVERIFY2(!clip.isEmpty(), qPrintable(media.failure()));
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), QStringLiteral("gtk3"));
    app.setProcessEnvironment(environment);
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    const auto stop = qScopeGuard([&] {
        app.kill();
        app.waitForFinished();
    });
    QVERIFY(!startProgram(app, QStringLiteral(MARQUETRIX_BINARY)).isEmpty());
    QTest::qWait(1000);
    xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+o")});
    QVERIFY(xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                     QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                     QStringLiteral("^Open Files$")}));
    QTest::qWait(1000);
    xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+l")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), clip});
    // The dialog completes the typed path first.
    QTest::qWait(1000);
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});

    // The clip plays in the window: its red quadrant fills a good part of the screen.
    QScreen *screen = QGuiApplication::primaryScreen();
    const auto redShown = [&] {
        const QImage shot = screen->grabWindow(0).toImage().scaled(192, 108);
        return AppWindow::share(shot, shot.rect(), [](QRgb pixel) {
                   return AppWindow::near(pixel, Qt::red, 60);
               }) > 0.05;
    };
    QTRY_VERIFY_WITH_TIMEOUT(redShown(), 20000);
    QCOMPARE(app.state(), QProcess::Running);
}

QTEST_MAIN(TestWindowDialogs)
#include "tst_windowdialogs.moc"
