// What the window tests cannot reach or time: the layout model's rows and drop refusals, the
// idle rules of full screen on a test clock, the commands without a window, update feeds
// (malformed, unreachable, stalled).

#include "appcast.h"
#include "appcommands.h"
#include "contentcontroller.h"
#include "layoutviewmodel.h"
#include "testhttpserver.h"
#include "updatechecker.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

struct Layout
{
    explicit Layout(const QList<QSize> &sizes)
    {
        state.setViewWidth(1600);
        state.setViewHeight(900);
        model.setLayoutState(&state);
        for (const QSize &size : sizes)
            append(size);
        model.relayout();
    }
    std::shared_ptr<VideoMetadata> append(QSize size)
    {
        auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
        meta->setWidth(size.width());
        meta->setHeight(size.height());
        state.appendVideoMeta(meta);
        return meta;
    }
    LayoutState state;
    LayoutViewModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

} // namespace

class TestAppLogic : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Each turn of the event loop lays out once, only a change that matters searches again, and
    // with no open video there is no layout: the error is set once, and tiles come back after it.
    void searchesAndLayoutFailure()
    {
        Layout layout({{16, 9}, {16, 9}});
        int searches = layout.model.searchCount();
        layout.append({16, 9});
        layout.state.setViewWidth(1500);
        QCOMPARE(layout.model.rowCount(), 2);
        QTRY_COMPARE(layout.model.rowCount(), 3);
        QCOMPARE(layout.model.searchCount(), ++searches);
        layout.state.setIsFullscreen(false);
        layout.state.setViewWidth(1500);
        QTest::qWait(0);
        QCOMPARE(layout.model.searchCount(), searches);
        layout.model.setLayoutAlgorithm(2);
        QTRY_COMPARE(layout.model.searchCount(), searches + 1);
        QCOMPARE(layout.model.layoutAlgorithm(), 2);
        QVERIFY(!Layout({}).model.layoutFailed()); // nothing to lay out is no failure

        for (const auto &meta : layout.state.videoMetas())
            meta->setIsClosed(true);
        QSignalSpy errors(&layout.state, &LayoutState::layoutErrorChanged);
        layout.state.setCounter(1);
        QTRY_VERIFY(layout.model.layoutFailed());
        QCOMPARE(layout.model.rowCount(), 0);
        QCOMPARE(layout.state.layoutError(), QStringLiteral("Failed to find layout"));
        layout.state.setCounter(2);
        QTest::qWait(0);
        QCOMPARE(errors.count(), 1);
        layout.append({16, 9});
        QTRY_COMPARE(layout.model.rowCount(), 1);
        QVERIFY(!layout.model.layoutFailed());
    }

    void dropsRefused_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("swapAlert");
        QTest::newRow("equal ratios: swapped") << "wide on wide" << false;
        QTest::newRow("different ratios") << "wide on square" << true;
        QTest::newRow("on itself") << "self" << false;
        QTest::newRow("two items") << "two" << false;
        QTest::newRow("foreign text") << "foreign" << false;
        QTest::newRow("id of another list") << "unknown id" << false;
        QTest::newRow("nothing") << "none" << false;
    }

    void dropsRefused()
    {
        QFETCH(QString, what);
        QFETCH(bool, swapAlert);
        // A crop does not make two videos swappable: only picture sizes count.
        Layout layout({{1920, 1080}, {1000, 1000}, {1280, 720}});
        const auto order = layout.state.videoMetas();
        order[1]->setOverriddenAR(16.0f / 9.0f);
        const QHash<QString, QStringList> items{
            {"wide on wide", {order[2]->idText()}},
            {"wide on square", {order[0]->idText()}},
            {"self", {order[1]->idText()}},
            {"two", {order[2]->idText(), order[2]->idText()}},
            {"foreign", {"file:///tmp/clip.mp4"}},
            {"unknown id", {QUuid::createUuid().toString(QUuid::WithoutBraces)}}};
        if (items.value(what).size() == 1)
            QTest::ignoreMessage(QtInfoMsg, "Received leaf drop of type String");
        const bool swap = what == u"wide on wide";
        const auto target = order[swap ? 0 : 1]->idText();
        QCOMPARE(layout.model.handleLeafDrop(items.value(what), target), swap);
        QCOMPARE(layout.state.showSwapAlert(), swapAlert);
        auto expected = order;
        if (swap)
            expected.swapItemsAt(0, 2);
        QCOMPARE(layout.state.videoMetas(), expected);
        QTRY_COMPARE(layout.model.isMainFocused(), swap);
    }

    void idleHidingInFullScreen()
    {
        ContentController content;
        content.idleTimer().stop();
        QDateTime now = QDateTime::currentDateTime();
        content.setClock([&now] { return now; });
        QPointF pointer(10, 10);
        // Each step: milliseconds later; a tick, entering (f) or leaving (x) full screen, a move
        // (m) or a report of the same position (s); whether the controls are hidden then. Outside
        // full screen idleness changes nothing; a move within 2 s of the last one counted does not
        // renew it.
        const struct
        {
            int later;
            char event;
            bool hidden;
        } steps[] = {{10000, 't', false}, {0, 'f', false},    {300, 't', false},
                     {2100, 't', false},  {200, 't', true},   {0, 'm', false},
                     {300, 't', false},   {2100, 'm', false}, {2100, 'm', false},
                     {1000, 'm', false},  {1000, 't', false}, {1000, 't', true},
                     {0, 's', true},      {0, 'x', false}};
        for (const auto &step : steps) {
            now = now.addMSecs(step.later);
            if (step.event == 'f') {
                content.toggleFullScreen();
                content.setFullscreen(true);
            } else if (step.event == 'm' || step.event == 's') {
                content.pointerMoved(pointer += QPointF(step.event == 'm', 0));
            } else if (step.event == 'x') {
                content.setFullscreen(false);
            }
            content.tick();
            QCOMPARE(content.viewState()->hideControls(), step.hidden);
            QCOMPARE(content.pointerHidden(), step.hidden);
        }
    }

    // Without a focused window (About is active) every command does nothing and says so.
    void commandsWithoutAWindow()
    {
        AppCommands commands;
        auto content = std::make_unique<ContentController>();
        commands.setFocused(content.get());
        content.reset();
        QCOMPARE(commands.focused(), nullptr);
        QVERIFY(!commands.playbackEnabled() && !commands.shuffleEnabled());
        for (auto command :
             {&AppCommands::showOpenUrl, &AppCommands::showLayoutSettings, &AppCommands::pauseAll,
              &AppCommands::repeatAll, &AppCommands::muteAll, &AppCommands::shuffle}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not found"));
            (commands.*command)();
        }
    }

    void updateFeeds_data()
    {
        const auto feed = [](const QString &items) {
            return R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>)" +
                   items.toUtf8() + "</channel></rss>";
        };
        const auto item = [](const char *version) {
            return QString(
                       "<item><link>https://e.org/r</link><enclosure url='https://e.org/m.tar.xz' "
                       "sparkle:shortVersionString='%1'/></item>")
                .arg(version);
        };
        QTest::addColumn<QByteArray>("xml");
        // The newest version the feed offers, or empty when it names none.
        QTest::addColumn<QString>("newest");
        QTest::addColumn<QString>("message");
        const QString newer = "Marquetrix %1 is available; you have 0.2.0.";
        const QString same = "Marquetrix 0.2.0 is the newest version.";
        QTest::newRow("newest of several") << feed(item("0.1.9") + item("0.10.1") + item("0.9"))
                                           << "0.10.1" << newer.arg("0.10.1");
        QTest::newRow("same") << feed(item("0.2.0") + item("0.1.9")) << "0.2.0" << same;
        QTest::newRow("older, missing parts") << feed(item("0.2")) << "0.2" << same;
        QTest::newRow("build number only")
            << feed("<item><title>M 7</title><sparkle:version>7</sparkle:version></item>") << "7"
            << newer.arg(7);
        QTest::newRow("garbage version")
            << feed("<item><sparkle:shortVersionString>latest</sparkle:shortVersionString></item>")
            << QString() << "Could not check for updates: the update feed is not understood.";
        // Empty: nothing listens; "stall": the server never answers.
        for (const QByteArray xml :
             {"<html><body>hello</body></html>", "<rss><channel><item><title>", "", "stall"})
            QTest::newRow(xml.isEmpty() ? "nothing listens" : xml.left(15).constData())
                << xml << QString() << "Could not check";
    }

    void updateFeeds()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, newest);
        QFETCH(QString, message);
        QString error;
        const auto release = newestRelease(xml, &error);
        QCOMPARE(release ? release->version : QString(), newest);

        const QUrl nowhere("http://127.0.0.1:9/a.xml"); // Nothing listens on discard.
        TestHttpServer http(QDir::tempPath());
        http.setMode(xml == "stall" ? TestHttpServer::Mode::Stall : TestHttpServer::Mode::Serve);
        http.answer({.body = xml, .contentType = "application/rss+xml"});
        QVERIFY(http.start());

        UpdateChecker checker;
        checker.setFeedUrl(xml.isEmpty() ? nowhere : http.url("appcast.xml"));
        checker.setCurrentVersion("0.2.0");
        checker.setTimeout(500);
        QSignalSpy finished(&checker, &UpdateChecker::finished);
        if (newest.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Update"));
        checker.checkForUpdates();
        QVERIFY(!checker.canCheckForUpdates());
        // A second request while one runs starts nothing.
        checker.checkForUpdates();
        QVERIFY(finished.wait(10000));
        QVERIFY(!finished.wait(100));
        QVERIFY(checker.canCheckForUpdates());
        QCOMPARE(checker.result() == UpdateChecker::Result::Failed, newest.isEmpty());
        QVERIFY2(checker.message().startsWith(message), qPrintable(checker.message()));
    }
};

QTEST_GUILESS_MAIN(TestAppLogic)
#include "tst_applogic.moc"
