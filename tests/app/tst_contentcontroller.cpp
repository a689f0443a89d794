// The main window's logic on a fake engine: opening files, drops and command-line items as
// tiles in order, the window-wide pause, full screen with the idle rules on a test clock,
// the measured area and stopping every player when the window goes away.

#include "contentcontroller.h"
#include "credentialstore.h"
#include "fakeengine.h"
#include "media.h"
#include "videometadata.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace marquetrix;

namespace {

QUrl mediaUrl(const VideoMetadata &meta)
{
    auto *player = dynamic_cast<FakeMediaListPlayer *>(meta.mediaPlayer().get());
    if (!player || !player->mediaList() || player->mediaList()->count() == 0)
        return {};
    return player->mediaList()->mediaAtIndex(0)->url();
}

const QByteArray kPassword = "pw7Qz";

QStringList titles(const LayoutState &layout)
{
    QStringList result;
    for (const auto &meta : layout.videoMetas())
        result.append(meta->title());
    return result;
}

} // namespace

class TestContentController : public QObject
{
    Q_OBJECT

private slots:
    void openFilesAddsOneTilePerStep();
    void dropsAndArgumentsOpenInOrder();
    void droppedLinkCarriesStoredCredentials();
    void failureNoticeNamesWhatFailed();
    void togglePause();
    void escapeLeavesOnlyFullScreen();
    void idleHidingInFullScreen();
    void leavingFullScreenShowsControls();
    void measuredAreaIsComparedBeforeWriting();
    void stopAllStopsEveryPlayer();

private:
    QTemporaryDir m_dir;
    QString file(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write("not really a video");
        return path;
    }
};

void TestContentController::openFilesAddsOneTilePerStep()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    QSignalSpy changes(content.layoutState(), &LayoutState::videoMetasChanged);
    QList<QUrl> urls;
    for (int i = 0; i < 5; ++i)
        urls.append(QUrl::fromLocalFile(file(QStringLiteral("clip%1.mp4").arg(i))));
    content.openFiles(urls);
    // Nothing opens before the chooser has returned to the event loop.
    QVERIFY(content.layoutState()->videoMetas().isEmpty());
    QTRY_COMPARE(content.layoutState()->videoMetas().size(), 5);
    QCOMPARE(changes.count(), 5);
    QCOMPARE(titles(*content.layoutState()),
             QStringList({"clip0.mp4", "clip1.mp4", "clip2.mp4", "clip3.mp4", "clip4.mp4"}));
    for (const auto &player : engine.listPlayers) {
        QCOMPARE(player->options, QStringList{QStringLiteral("--avcodec-hw=none")});
        QCOMPARE(player->repeatMode, 0);
    }
    QCOMPARE(mediaUrl(*content.layoutState()->videoMetas().first()), urls.first());
}

void TestContentController::dropsAndArgumentsOpenInOrder()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    const QString first = file(QStringLiteral("first.mkv"));
    const QString second = file(QStringLiteral("second.mp4"));
    // A file whose name reads like an option still opens after `--`.
    const QString dashed = file(QStringLiteral("-x.mp4"));

    QVERIFY(content.handleDrop({QUrl::fromLocalFile(first), QUrl(),
                                QUrl(QStringLiteral("http://127.0.0.1:9/stream.m3u8")),
                                QUrl::fromLocalFile(second)}));
    // Tiles come in the order the items finish loading: files at once, a link after its
    // host's credentials have been looked up.
    QTRY_COMPARE(content.layoutState()->videoMetas().size(), 3);
    QStringList opened = titles(*content.layoutState());
    QVERIFY(opened.indexOf(QStringLiteral("first.mkv")) <
            opened.indexOf(QStringLiteral("second.mp4")));
    opened.sort();
    QCOMPARE(opened, QStringList({"first.mkv", "second.mp4", "stream.m3u8"}));
    // A link to a host without stored credentials opens as it is.
    for (const auto &meta : content.layoutState()->videoMetas()) {
        if (meta->title() == QStringLiteral("stream.m3u8"))
            QCOMPARE(mediaUrl(*meta), QUrl(QStringLiteral("http://127.0.0.1:9/stream.m3u8")));
    }

    content.stopAll();
    // The command line keeps its order, links included.
    content.openArguments({"rtsp://127.0.0.1:9/live", second.toLocal8Bit(),
                           "http://127.0.0.1:9/b.mp4", dashed.toLocal8Bit()});
    QTRY_COMPARE(content.layoutState()->videoMetas().size(), 4);
    QCOMPARE(titles(*content.layoutState()),
             QStringList({"live", "second.mp4", "b.mp4", "-x.mp4"}));
    QCOMPARE(mediaUrl(*content.layoutState()->videoMetas().at(3)), QUrl::fromLocalFile(dashed));
}

void TestContentController::droppedLinkCarriesStoredCredentials()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("needs the test session's keyring (scripts/test-session)");
    storeCredentials(
        {QStringLiteral("media.test"), QStringLiteral("viewer"), QStringLiteral("s3cret")});
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    content.handleDrop({QUrl(QStringLiteral("http://media.test:8080/live/cam%201.mp4?token=1#t"))});
    QTRY_COMPARE(content.layoutState()->videoMetas().size(), 1);
    const QUrl opened = mediaUrl(*content.layoutState()->videoMetas().first());
    QCOMPARE(opened.userName(), QStringLiteral("viewer"));
    QCOMPARE(opened.password(), QStringLiteral("s3cret"));
    QCOMPARE(opened.host(), QStringLiteral("media.test"));
    QCOMPARE(opened.port(), 8080);
    QCOMPARE(opened.path(), QStringLiteral("/live/cam 1.mp4"));
    QVERIFY(!opened.hasQuery());
    QVERIFY(!opened.hasFragment());
}

void TestContentController::failureNoticeNamesWhatFailed()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    const QString clip = file(QStringLiteral("clip.mp4"));
    content.openArguments({"sub/clip.mp4", "ftp://me:" + kPassword + "@nas/a.mp4",
                           clip.toLocal8Bit(), m_dir.path().toLocal8Bit()});
    QVERIFY(content.viewState()->showFailedToOpenAlert());
    QCOMPARE(content.layoutState()->videoMetas().size(), 1);
    // A tile whose player fails goes with its name in the same notice.
    content.layoutState()->videoMetas().first()->setError(true);
    QCOMPARE(content.failureNotice(),
             QStringList({"File not found: sub/clip.mp4",
                          "Cannot open ftp://me@nas/a.mp4: links of this kind are not supported",
                          "Cannot open " + m_dir.path() + ": it is a folder",
                          "Cannot play clip.mp4"})
                 .join(u'\n'));
    // Dismissed, the next notice starts afresh.
    content.viewState()->setShowFailedToOpenAlert(false);
    QCOMPARE(content.failureNotice(), QStringLiteral("Failed to open video"));
}

void TestContentController::togglePause()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    // Space with no video does nothing.
    content.togglePause();
    QVERIFY(!content.viewState()->globalPause());

    for (const QString &name : {QStringLiteral("a.mp4"), QStringLiteral("b.mp4")})
        content.layoutState()->appendVideoMeta(std::make_shared<VideoMetadata>(
            QUuid::createUuid(), engine.openListPlayer(QUrl::fromLocalFile(name))));
    content.togglePause();
    QVERIFY(content.viewState()->globalPause());
    for (const auto &meta : content.layoutState()->videoMetas())
        QVERIFY(meta->doPause() && !meta->forcePlay());
    content.togglePause();
    QVERIFY(!content.viewState()->globalPause());
    for (const auto &meta : content.layoutState()->videoMetas())
        QVERIFY(!meta->doPause() && meta->forcePlay());
}

void TestContentController::escapeLeavesOnlyFullScreen()
{
    ContentController content;
    QSignalSpy toggles(&content, &ContentController::toggleFullScreenRequested);
    content.exitFullscreen();
    QCOMPARE(toggles.count(), 0);
    content.setFullscreen(true);
    content.exitFullscreen();
    QCOMPARE(toggles.count(), 1);
}

void TestContentController::idleHidingInFullScreen()
{
    ContentController content;
    content.idleTimer().stop();
    QDateTime now = QDateTime::currentDateTime();
    content.setClock([&now] { return now; });
    ViewState *view = content.viewState();

    // Outside full screen idleness changes nothing.
    now = now.addSecs(10);
    content.tick();
    QVERIFY(!view->hideControls());

    // The full-screen button counts as a movement.
    content.toggleFullScreen();
    content.setFullscreen(true);
    const struct
    {
        int afterMs;
        bool hidden;
    } ticks[] = {{300, false}, {2400, false}, {2600, true}, {2900, true}};
    const QDateTime entered = now;
    for (const auto &t : ticks) {
        now = entered.addMSecs(t.afterMs);
        content.tick();
        QCOMPARE(view->hideControls(), t.hidden);
        QCOMPARE(content.pointerHidden(), t.hidden);
    }

    // The first movement shows them again at once; the next tick within the window keeps them.
    QPointF pointer(10, 10);
    const auto move = [&] {
        pointer += QPointF(1, 0);
        content.pointerMoved(pointer);
    };
    move();
    QVERIFY(!view->hideControls());
    QVERIFY(!content.pointerHidden());
    QCOMPARE(view->lastCursorMove(), now);
    now = now.addMSecs(300);
    content.tick();
    QVERIFY(!view->hideControls());

    // A pointer that keeps moving keeps them shown: a move every 2.1 s renews the clock.
    for (int i = 0; i < 5; ++i) {
        now = now.addMSecs(2100);
        move();
        content.tick();
        QVERIFY(!view->hideControls());
    }
    // Moves within 2 s of the last recorded one do not renew it.
    const QDateTime recorded = view->lastCursorMove();
    now = now.addMSecs(1000);
    move();
    QCOMPARE(view->lastCursorMove(), recorded);
    // A report of the same position is no movement.
    now = now.addMSecs(5000);
    content.tick();
    QVERIFY(view->hideControls());
    content.pointerMoved(pointer);
    QVERIFY(view->hideControls());
}

void TestContentController::leavingFullScreenShowsControls()
{
    ContentController content;
    content.idleTimer().stop();
    QDateTime now = QDateTime::currentDateTime();
    content.setClock([&now] { return now; });
    content.setFullscreen(true);
    now = now.addSecs(5);
    content.tick();
    QVERIFY(content.viewState()->hideControls());
    content.setFullscreen(false);
    QVERIFY(!content.layoutState()->isFullscreen());
    QVERIFY(!content.viewState()->hideControls());
    QVERIFY(!content.pointerHidden());
}

void TestContentController::measuredAreaIsComparedBeforeWriting()
{
    ContentController content;
    QSignalSpy widths(content.layoutState(), &LayoutState::viewWidthChanged);
    content.setMeasuredArea(800, 600);
    content.setMeasuredArea(800, 600);
    QCOMPARE(widths.count(), 2);
    content.refreshMeasuredArea(800, 600);
    QCOMPARE(widths.count(), 2);
    content.refreshMeasuredArea(1024.5, 600);
    QCOMPARE(widths.count(), 3);
    QCOMPARE(content.layoutState()->viewWidth(), 1024.5f);
    QCOMPARE(content.layoutState()->viewHeight(), 600.0f);
}

void TestContentController::stopAllStopsEveryPlayer()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    for (int i = 0; i < 3; ++i)
        content.layoutState()->appendVideoMeta(std::make_shared<VideoMetadata>(
            QUuid::createUuid(), engine.openListPlayer(QUrl::fromLocalFile("/v.mp4"))));
    for (int i = 0; i < 3; ++i)
        QTest::ignoreMessage(QtInfoMsg,
                             QRegularExpression(QStringLiteral("^View [0-9A-F-]{36} disappearing. "
                                                               "Stopping player.$")));
    content.stopAll();
    QVERIFY(content.layoutState()->videoMetas().isEmpty());
    for (const auto &player : engine.listPlayers)
        QVERIFY(player->calls.contains(QStringLiteral("stop")));
}

QTEST_GUILESS_MAIN(TestContentController)
#include "tst_contentcontroller.moc"
