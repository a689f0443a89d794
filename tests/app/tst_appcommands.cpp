// The menu commands on the focused window's content: titles that follow the switches,
// enabling rules, what each command does to the records, and the errors logged without a
// focused window.

#include "appcommands.h"
#include "contentcontroller.h"
#include "fakeengine.h"
#include "videometadata.h"

#include <QSignalSpy>
#include <QTest>

using namespace marquetrix;

class TestAppCommands : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<VideoMetadata> addRecord(ContentController &content, FakeMediaEngine &engine,
                                             const QString &name)
    {
        const QUrl url(QStringLiteral("file:///videos/") + name);
        auto meta =
            std::make_shared<VideoMetadata>(QUuid::createUuid(), engine.openListPlayer(url));
        meta->setTitle(name);
        content.layoutState()->appendVideoMeta(meta);
        return meta;
    }

private slots:
    void enablingFollowsTheVideoCount_data();
    void enablingFollowsTheVideoCount();
    void titlesFollowTheSwitches();
    void pauseAllPausesAndResumesEveryVideo();
    void repeatAllRestartsEndedVideosOnly();
    void muteAllRequestsMuteAndUnmute();
    void shuffleReordersOnceNotified();
    void dialogsOpenOnTheFocusedWindow();
    void withoutFocusedWindowEveryCommandLogs();
};

void TestAppCommands::enablingFollowsTheVideoCount_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<int>("videos");
    QTest::addColumn<bool>("playback");
    QTest::addColumn<bool>("shuffle");
    QTest::newRow("no window") << false << 0 << false << false;
    QTest::newRow("zero") << true << 0 << false << false;
    QTest::newRow("one") << true << 1 << true << false;
    QTest::newRow("two") << true << 2 << true << true;
    QTest::newRow("five") << true << 5 << true << true;
}

void TestAppCommands::enablingFollowsTheVideoCount()
{
    QFETCH(bool, focused);
    QFETCH(int, videos);
    QFETCH(bool, playback);
    QFETCH(bool, shuffle);
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    AppCommands commands;
    if (focused)
        commands.setFocused(&content);
    QSignalSpy changes(&commands, &AppCommands::stateChanged);
    for (int i = 0; i < videos; ++i)
        addRecord(content, engine, QStringLiteral("clip%1.mp4").arg(i));
    QCOMPARE(commands.playbackEnabled(), playback);
    QCOMPARE(commands.shuffleEnabled(), shuffle);
    QCOMPARE(changes.count(), focused ? videos : 0);
}

void TestAppCommands::titlesFollowTheSwitches()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    AppCommands commands;
    commands.setFocused(&content);
    addRecord(content, engine, QStringLiteral("a.mp4"));
    QCOMPARE(commands.pauseAllTitle(), QStringLiteral("Pause all"));
    QCOMPARE(commands.repeatAllTitle(), QStringLiteral("Repeat all"));
    QCOMPARE(commands.muteAllTitle(), QStringLiteral("Mute all"));

    commands.pauseAll();
    commands.repeatAll();
    commands.muteAll();
    QCOMPARE(commands.pauseAllTitle(), QStringLiteral("Play all"));
    QCOMPARE(commands.repeatAllTitle(), QStringLiteral("Disable repeat all"));
    QCOMPARE(commands.muteAllTitle(), QStringLiteral("Unmute all"));

    // The window's own Space key flips the same switch, and the title follows it.
    QSignalSpy changes(&commands, &AppCommands::stateChanged);
    content.togglePause();
    QCOMPARE(commands.pauseAllTitle(), QStringLiteral("Pause all"));
    QVERIFY(changes.count() > 0);

    // Without a focused window the first title of each pair is shown.
    content.viewState()->setGlobalPause(true);
    commands.setFocused(nullptr);
    QCOMPARE(commands.pauseAllTitle(), QStringLiteral("Pause all"));
    QCOMPARE(commands.repeatAllTitle(), QStringLiteral("Repeat all"));
    QCOMPARE(commands.muteAllTitle(), QStringLiteral("Mute all"));
}

void TestAppCommands::pauseAllPausesAndResumesEveryVideo()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    AppCommands commands;
    commands.setFocused(&content);
    const auto first = addRecord(content, engine, QStringLiteral("a.mp4"));
    const auto second = addRecord(content, engine, QStringLiteral("b.mp4"));

    commands.pauseAll();
    QVERIFY(content.viewState()->globalPause());
    QVERIFY(first->doPause() && second->doPause());
    QVERIFY(!first->forcePlay() && !second->forcePlay());

    commands.pauseAll();
    QVERIFY(!content.viewState()->globalPause());
    QVERIFY(!first->doPause() && !second->doPause());
    QVERIFY(first->forcePlay() && second->forcePlay());
}

void TestAppCommands::repeatAllRestartsEndedVideosOnly()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    AppCommands commands;
    commands.setFocused(&content);
    const auto ended = addRecord(content, engine, QStringLiteral("ended.mp4"));
    const auto paused = addRecord(content, engine, QStringLiteral("paused.mp4"));
    const auto playing = addRecord(content, engine, QStringLiteral("playing.mp4"));
    ended->setPlaying(false);
    ended->setEnded(true);
    // The user's pause: the play wish is off; the one-shot pause request is long done.
    paused->setPlaying(false);

    commands.repeatAll();
    for (const auto &meta : {ended, paused, playing})
        QVERIFY(meta->globalRepeatEnabled());
    QVERIFY(ended->forcePlay());
    QVERIFY(!paused->forcePlay());
    QVERIFY(!playing->forcePlay());

    commands.repeatAll();
    for (const auto &meta : {ended, paused, playing})
        QVERIFY(meta->globalRepeatDisabled());
}

void TestAppCommands::muteAllRequestsMuteAndUnmute()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    AppCommands commands;
    commands.setFocused(&content);
    const auto meta = addRecord(content, engine, QStringLiteral("a.mp4"));
    commands.muteAll();
    QVERIFY(meta->globalMuteEnabled());
    QVERIFY(!meta->globalMuteDisabled());
    commands.muteAll();
    QVERIFY(meta->globalMuteDisabled());
}

void TestAppCommands::shuffleReordersOnceNotified()
{
    FakeMediaEngine engine;
    ContentController content;
    content.setEngine(&engine);
    AppCommands commands;
    commands.setFocused(&content);
    for (int i = 0; i < 6; ++i)
        addRecord(content, engine, QStringLiteral("clip%1.mp4").arg(i));
    const auto before = content.layoutState()->videoMetas();
    QSignalSpy notified(content.layoutState(), &LayoutState::videoMetasChanged);
    // Six videos stay in their order once in 720 shuffles; ten tries make a false failure
    // practically impossible.
    bool reordered = false;
    int shuffles = 0;
    while (shuffles < 10 && !reordered) {
        commands.shuffle();
        ++shuffles;
        reordered = content.layoutState()->videoMetas() != before;
    }
    QVERIFY(reordered);
    QCOMPARE(notified.count(), shuffles);
    auto sortedBefore = before;
    auto sortedAfter = content.layoutState()->videoMetas();
    std::sort(sortedBefore.begin(), sortedBefore.end());
    std::sort(sortedAfter.begin(), sortedAfter.end());
    QCOMPARE(sortedAfter, sortedBefore);
}

void TestAppCommands::dialogsOpenOnTheFocusedWindow()
{
    ContentController content;
    AppCommands commands;
    commands.setFocused(&content);
    commands.showOpenURL();
    commands.showLayoutSettings();
    QVERIFY(content.viewState()->openURLVisible());
    QVERIFY(content.viewState()->layoutSettingsVisible());
}

void TestAppCommands::withoutFocusedWindowEveryCommandLogs()
{
    AppCommands commands;
    const struct
    {
        void (AppCommands::*command)();
        const char *message;
    } cases[] = {
        {&AppCommands::showOpenURL, "ViewState not found to show open URL dialog"},
        {&AppCommands::showLayoutSettings, "ViewState not found to show layout settings"},
        {&AppCommands::pauseAll, "ViewState or LayoutState not found to set pause state"},
        {&AppCommands::repeatAll, "ViewState or LayoutState not found to set repeat state"},
        {&AppCommands::muteAll, "ViewState or LayoutState not found to set mute state"},
        {&AppCommands::shuffle, "LayoutState not found to shuffle layouts"},
    };
    for (const auto &c : cases) {
        QTest::ignoreMessage(QtWarningMsg, c.message);
        (commands.*c.command)();
    }

    // A window that goes away stops being the focused one.
    auto content = std::make_unique<ContentController>();
    commands.setFocused(content.get());
    content.reset();
    QCOMPARE(commands.focused(), nullptr);
}

QTEST_GUILESS_MAIN(TestAppCommands)
#include "tst_appcommands.moc"
