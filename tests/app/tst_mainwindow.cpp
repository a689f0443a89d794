// The main window in QML on a fake engine: welcome content or tiles, menu titles and enabling
// that follow the switches, Escape and Space, the banner, the notices and their flags, the
// settings panel (at once, persisted, Return closes) and one About window however often asked.

#include "appcommands.h"
#include "appdelegate.h"
#include "contentcontroller.h"
#include "fakeengine.h"
#include "testhttpserver.h"
#include "updatechecker.h"
#include "videometadata.h"

#include <QMimeData>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <memory>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_SideControlsPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_OpeningPlugin)

using namespace marquetrix;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void welcomeOrTiles();
    void menusFollowTheSwitches();
    void spaceAndEscape();
    void bannerFollowsFullScreenAndIdleness();
    void noticesResetTheirFlags_data();
    void noticesResetTheirFlags();
    void settingsTakeEffectAtOnceAndPersist();
    void aboutOpensOneWindow();
    void spaceStillTypesInATextField();
    void doubleClickTogglesFullScreen();
    void droppedFilesOpenAsTiles();
    void checkForUpdatesTellsTheUser();

private:
    void addVideos(int count);
    QQuickItem *item(const char *name) const;
    QObject *action(const char *name) const;

    FakeMediaEngine m_engine;
    std::unique_ptr<QQmlEngine> m_qml;
    std::unique_ptr<QObject> m_root;
    QQuickWindow *m_window = nullptr;
    ContentController *m_content = nullptr;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Marquetrix"));
    QCoreApplication::setApplicationName(QStringLiteral("Marquetrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
}

void TestMainWindow::init()
{
    QSettings().clear();
    m_qml = std::make_unique<QQmlEngine>();
    QQmlComponent component(
        m_qml.get(), QUrl(QStringLiteral("qrc:/qt-project.org/imports/Marquetrix/Main.qml")));
    m_root.reset(component.createWithInitialProperties(
        {{QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(&m_engine)}}));
    QVERIFY2(m_root, qPrintable(component.errorString()));
    m_window = qobject_cast<QQuickWindow *>(m_root.get());
    QVERIFY(m_window);
    m_window->show();
    m_window->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_content = m_root->property("content")
                    .value<QObject *>()
                    ->property("controller")
                    .value<ContentController *>();
    QVERIFY(m_content);
    QTRY_VERIFY(m_content->isFocused());
}

void TestMainWindow::cleanup()
{
    m_root.reset();
    m_qml.reset();
    m_engine.listPlayers.clear();
}

void TestMainWindow::addVideos(int count)
{
    for (int i = 0; i < count; ++i) {
        auto meta = std::make_shared<VideoMetadata>(
            QUuid::createUuid(),
            m_engine.openListPlayer(QUrl::fromLocalFile(QStringLiteral("/v%1.mp4").arg(i))));
        m_content->layoutState()->appendVideoMeta(meta);
    }
}

namespace {

// Dialog content lives in the window's overlay, outside the QObject tree of the window.
QQuickItem *findItem(QQuickItem *parent, const QString &name)
{
    if (parent->objectName() == name)
        return parent;
    for (QQuickItem *child : parent->childItems()) {
        if (QQuickItem *found = findItem(child, name))
            return found;
    }
    return nullptr;
}

} // namespace

QQuickItem *TestMainWindow::item(const char *name) const
{
    return findItem(m_window->contentItem(), QLatin1String(name));
}

QObject *TestMainWindow::action(const char *name) const
{
    return m_root->findChild<QObject *>(QLatin1String(name));
}

void TestMainWindow::welcomeOrTiles()
{
    auto *welcome = item("welcomeContent");
    auto *layout = item("layoutView");
    QVERIFY(welcome && layout);
    QVERIFY(welcome->property("item").value<QQuickItem *>());
    QVERIFY(!layout->property("item").value<QQuickItem *>());
    QVERIFY(item("addVideoButton")->isVisible());
    // The measured area is the content's size.
    QQuickItem *content = m_root->property("content").value<QQuickItem *>();
    QCOMPARE(m_content->layoutState()->viewWidth(), float(content->width()));
    QCOMPARE(m_content->layoutState()->viewHeight(), float(content->height()));

    addVideos(1);
    QTRY_VERIFY(layout->property("item").value<QQuickItem *>());
    QVERIFY(!welcome->property("item").value<QQuickItem *>());
}

void TestMainWindow::menusFollowTheSwitches()
{
    QObject *pause = action("pauseAllAction");
    QObject *repeat = action("repeatAllAction");
    QObject *mute = action("muteAllAction");
    QObject *shuffle = action("shuffleAction");
    QVERIFY(pause && repeat && mute && shuffle);
    QTRY_VERIFY(!pause->property("enabled").toBool());
    QVERIFY(!shuffle->property("enabled").toBool());
    QVERIFY(action("settingsAction")->property("enabled").toBool());

    addVideos(1);
    QTRY_VERIFY(pause->property("enabled").toBool());
    QVERIFY(repeat->property("enabled").toBool() && mute->property("enabled").toBool());
    QVERIFY(!shuffle->property("enabled").toBool());
    addVideos(1);
    QTRY_VERIFY(shuffle->property("enabled").toBool());

    QMetaObject::invokeMethod(pause, "trigger");
    QMetaObject::invokeMethod(repeat, "trigger");
    QMetaObject::invokeMethod(mute, "trigger");
    QCOMPARE(pause->property("text").toString(), QStringLiteral("Play all"));
    QCOMPARE(repeat->property("text").toString(), QStringLiteral("Disable repeat all"));
    QCOMPARE(mute->property("text").toString(), QStringLiteral("Unmute all"));
    QMetaObject::invokeMethod(pause, "trigger");
    QCOMPARE(pause->property("text").toString(), QStringLiteral("Pause all"));
}

void TestMainWindow::spaceAndEscape()
{
    // Space with no video does nothing.
    QTest::keyClick(m_window, Qt::Key_Space);
    QVERIFY(!m_content->viewState()->globalPause());

    addVideos(2);
    QTest::keyClick(m_window, Qt::Key_Space);
    QVERIFY(m_content->viewState()->globalPause());
    for (const auto &meta : m_content->layoutState()->videoMetas())
        QVERIFY(meta->doPause());
    QTest::keyClick(m_window, Qt::Key_Space);
    QVERIFY(!m_content->viewState()->globalPause());

    // Escape outside full screen does nothing; in full screen it leaves.
    QTest::keyClick(m_window, Qt::Key_Escape);
    QCOMPARE(m_window->visibility(), QWindow::Windowed);
    m_content->toggleFullScreen();
    QTRY_VERIFY(m_content->layoutState()->isFullscreen());
    QVERIFY(!item("addVideoButton")->isVisible());
    QTest::keyClick(m_window, Qt::Key_Escape);
    QTRY_VERIFY(!m_content->layoutState()->isFullscreen());
    QVERIFY(m_window->visibility() != QWindow::FullScreen);
    QTRY_VERIFY(item("addVideoButton")->isVisible());
}

void TestMainWindow::bannerFollowsFullScreenAndIdleness()
{
    QQuickItem *banner = item("fullscreenBanner");
    QVERIFY(banner);
    QVERIFY(!banner->isVisible());
    QDateTime now = QDateTime::currentDateTime();
    m_content->setClock([&now] { return now; });
    m_content->toggleFullScreen();
    QTRY_VERIFY(banner->isVisible());
    now = now.addSecs(3);
    // The window's own tick hides it.
    QTRY_VERIFY(!banner->isVisible());
    QVERIFY(m_content->pointerHidden());
    QTest::mouseMove(m_window, QPoint(100, 100));
    QTest::mouseMove(m_window, QPoint(120, 110));
    QTRY_VERIFY(banner->isVisible());
    m_content->exitFullscreen();
    QTRY_VERIFY(!m_content->layoutState()->isFullscreen());
}

void TestMainWindow::noticesResetTheirFlags_data()
{
    QTest::addColumn<QByteArray>("toast");
    QTest::addColumn<QString>("title");
    QTest::newRow("swap") << QByteArray("swapToast")
                          << "Can only swap videos of equal aspect ratio";
    QTest::newRow("failed") << QByteArray("failedToast") << "Failed to open video";
}

void TestMainWindow::noticesResetTheirFlags()
{
    QFETCH(QByteArray, toast);
    QFETCH(QString, title);
    const bool swap = toast == "swapToast";
    const auto flag = [&] {
        return swap ? m_content->layoutState()->showSwapAlert()
                    : m_content->viewState()->showFailedToOpenAlert();
    };
    const auto raise = [&] {
        if (swap)
            m_content->layoutState()->setShowSwapAlert(true);
        else
            m_content->viewState()->setShowFailedToOpenAlert(true);
    };
    QQuickItem *notice = item(toast.constData());
    QVERIFY(notice);
    QCOMPARE(notice->property("title").toString(), title);

    // A tap dismisses it and resets the flag.
    raise();
    QVERIFY(notice->isVisible());
    QTest::mouseClick(
        m_window, Qt::LeftButton, {},
        notice->mapToScene(QPointF(notice->width() / 2, notice->height() / 2)).toPoint());
    QTRY_VERIFY(!flag());
    QVERIFY(!notice->isVisible());

    // Left alone it goes after 3 seconds, also resetting the flag.
    raise();
    QElapsedTimer shown;
    shown.start();
    QTRY_VERIFY_WITH_TIMEOUT(!flag(), 6000);
    QVERIFY(shown.elapsed() >= 2900);
}

void TestMainWindow::settingsTakeEffectAtOnceAndPersist()
{
    addVideos(3);
    QMetaObject::invokeMethod(action("settingsAction"), "trigger");
    QVERIFY(m_content->viewState()->layoutSettingsVisible());
    QQuickItem *screenUsage = nullptr;
    QTRY_VERIFY((screenUsage = item("algorithm0")) && screenUsage->isVisible());
    QTRY_VERIFY(item("algorithm1")->property("checked").toBool());

    QTest::mouseClick(m_window, Qt::LeftButton, {},
                      screenUsage->mapToScene(QPointF(10, screenUsage->height() / 2)).toPoint());
    QTRY_VERIFY(screenUsage->property("checked").toBool());
    QCOMPARE(QSettings().value(QStringLiteral("layoutAlgorithm")).toInt(), 0);
    // The tiles' model follows without the panel closing.
    QObject *layoutView = item("layoutView")->property("item").value<QObject *>();
    QVERIFY(layoutView);
    QTRY_COMPARE(
        layoutView->property("model").value<QObject *>()->property("layoutAlgorithm").toInt(), 0);
    QVERIFY(m_content->viewState()->layoutSettingsVisible());

    QTest::keyClick(m_window, Qt::Key_Return);
    QTRY_VERIFY(!m_content->viewState()->layoutSettingsVisible());
    QTRY_VERIFY(!m_root->findChild<QObject *>(QStringLiteral("settingsSlot"))
                     ->property("visible")
                     .toBool());
    QTRY_VERIFY(m_content->isFocused());
}

void TestMainWindow::aboutOpensOneWindow()
{
    auto *delegate = m_root->property("appDelegate").value<AppDelegate *>();
    QVERIFY(delegate);
    const auto aboutWindows = [] {
        int count = 0;
        for (QWindow *window : QGuiApplication::topLevelWindows())
            count += window->title() == QStringLiteral("About Marquetrix");
        return count;
    };
    QMetaObject::invokeMethod(action("aboutAction"), "trigger");
    QQuickWindow *about = delegate->aboutWindow();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    about->close();
    QMetaObject::invokeMethod(action("aboutAction"), "trigger");
    QCOMPARE(delegate->aboutWindow(), about);
    QVERIFY(about->isVisible());
    QCOMPARE(aboutWindows(), 1);
    QQuickItem *version = about->findChild<QQuickItem *>(QStringLiteral("aboutVersion"));
    QVERIFY(version);
    QCOMPARE(version->property("text").toString(), QStringLiteral("Version 1.2.3"));

    // While About is the active window the commands find no window to act on.
    about->requestActivate();
    QTRY_VERIFY(about->isActive());
    auto *commands = m_root->property("commands").value<AppCommands *>();
    QTRY_COMPARE(commands->focused(), nullptr);
    QTest::ignoreMessage(QtWarningMsg, "LayoutState not found to shuffle layouts");
    commands->shuffle();
}

void TestMainWindow::spaceStillTypesInATextField()
{
    addVideos(2);
    m_content->viewState()->setOpenURLVisible(true);
    QQuickItem *field = nullptr;
    QTRY_VERIFY((field = item("videoUrlField")) && field->isVisible());
    field->forceActiveFocus();
    QTRY_VERIFY(field->hasActiveFocus());
    QTest::keyClick(m_window, Qt::Key_A);
    QTest::keyClick(m_window, Qt::Key_Space);
    QTest::keyClick(m_window, Qt::Key_B);
    QCOMPARE(field->property("text").toString(), QStringLiteral("a b"));
    QVERIFY(!m_content->viewState()->globalPause());
}

void TestMainWindow::doubleClickTogglesFullScreen()
{
    const QPoint inside(30, m_window->height() - 30);
    QTest::mouseDClick(m_window, Qt::LeftButton, {}, inside);
    QTRY_VERIFY(m_content->layoutState()->isFullscreen());
    QTest::mouseDClick(m_window, Qt::LeftButton, {}, inside);
    QTRY_VERIFY(!m_content->layoutState()->isFullscreen());
}

void TestMainWindow::droppedFilesOpenAsTiles()
{
    QTemporaryDir dir;
    QList<QUrl> urls;
    for (const QString &name : {QStringLiteral("one.mp4"), QStringLiteral("two.mkv")}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        urls.append(QUrl::fromLocalFile(file.fileName()));
    }
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at(m_window->width() / 2, m_window->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(m_window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(m_window, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(m_content->layoutState()->videoMetas().size(), 2);
    QCOMPARE(m_content->layoutState()->videoMetas().at(0)->title(), QStringLiteral("one.mp4"));
    QCOMPARE(m_content->layoutState()->videoMetas().at(1)->title(), QStringLiteral("two.mkv"));

    // A tile's id dragged as text is the tiles' business, not the window's.
    QMimeData idText;
    idText.setText(m_content->layoutState()->videoMetas().at(0)->idText());
    QDragEnterEvent textEnter(QPoint(5, m_window->height() - 5), Qt::MoveAction, &idText,
                              Qt::LeftButton, {});
    QCoreApplication::sendEvent(m_window, &textEnter);
    QDropEvent textDrop(QPoint(5, m_window->height() - 5), Qt::MoveAction, &idText, Qt::LeftButton,
                        {});
    QCoreApplication::sendEvent(m_window, &textDrop);
    QCoreApplication::processEvents();
    QCOMPARE(m_content->layoutState()->videoMetas().size(), 2);
}

void TestMainWindow::checkForUpdatesTellsTheUser()
{
    QTemporaryDir dir;
    QFile feed(dir.filePath(QStringLiteral("appcast.xml")));
    QVERIFY(feed.open(QIODevice::WriteOnly));
    feed.write(
        R"(<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><item><title>Marquetrix 9.0</title>
<enclosure url="https://example.org/m.tar.xz" sparkle:shortVersionString="9.0"/></item>
</channel></rss>)");
    feed.close();
    test::TestHttpServer http(dir.path());
    QVERIFY(http.start());

    auto *checker = m_root->property("updateChecker").value<UpdateChecker *>();
    QVERIFY(checker);
    checker->setFeedUrl(http.url(QStringLiteral("appcast.xml")));
    QObject *item = action("checkForUpdatesAction");
    QVERIFY(item->property("enabled").toBool());
    QMetaObject::invokeMethod(item, "trigger");
    // Disabled while the check runs, enabled again after it.
    QVERIFY(!item->property("enabled").toBool());
    QTRY_VERIFY(item->property("enabled").toBool());

    QObject *notice = m_root->findChild<QObject *>(QStringLiteral("updateNotice"));
    QVERIFY(notice);
    QTRY_VERIFY(notice->property("visible").toBool());
    QQuickItem *message = this->item("updateMessage");
    QVERIFY(message);
    QCOMPARE(message->property("text").toString(),
             QStringLiteral("Marquetrix 9.0 is available; you have 1.2.3."));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
