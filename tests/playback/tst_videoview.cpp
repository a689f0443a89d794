#include "fakeengine.h"
#include "layoutstate.h"
#include "playerstate.h"
#include "videoview.h"
#include "viewstate.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVideoSink>
#include <memory>

using namespace marquetrix;

namespace {

// Counts the notifications of every published field of an object.
class NotificationCounter : public QObject
{
    Q_OBJECT

public:
    explicit NotificationCounter(QObject *source)
    {
        const QMetaMethod slot = staticMetaObject.method(staticMetaObject.indexOfSlot("count()"));
        const QMetaObject *meta = source->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            if (meta->property(i).hasNotifySignal())
                connect(source, meta->property(i).notifySignal(), this, slot);
        }
    }
    int total = 0;

public slots:
    void count() { ++total; }
};

// Lets every queued pass and step run. Each turn may queue the next, so a few turns.
void settle()
{
    for (int turn = 0; turn < 10; ++turn)
        QCoreApplication::processEvents();
}

// One tile as the tile view builds it, bound to a fake engine.
struct Tile
{
    explicit Tile(LayoutState *sharedLayout = nullptr,
                  const QUrl &url = QUrl(QStringLiteral("file:///clips/a.mp4")))
        : listPlayer(engine.openListPlayer(url)),
          meta(std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer)),
          layout(sharedLayout ? sharedLayout : &ownLayout), state(meta)
    {
        layout->appendVideoMeta(meta);
        view.setPlayerState(&state);
        view.setViewState(&viewState);
        view.setLayoutState(layout);
        view.setEngine(&engine);
        view.setDrawable(&sink);
    }

    FakeMediaPlayer &player() { return listPlayer->fakePlayer(); }
    QStringList &calls() { return listPlayer->calls; }

    // Playing with a surface, audio in step with the record, the first start behind it.
    void makeSteady()
    {
        player().playing = true;
        player().playbackState = PlaybackState::Playing;
        player().timeMs = 0;
        player().createAudio();
        player().setDrawable(&sink);
        state.setJustOpened(false);
        settle();
        calls().clear();
    }

    FakeMediaEngine engine;
    std::shared_ptr<FakeMediaListPlayer> listPlayer;
    std::shared_ptr<VideoMetadata> meta;
    LayoutState ownLayout;
    LayoutState *layout;
    ViewState viewState;
    PlayerState state;
    QVideoSink sink;
    VideoView view;
};

} // namespace

class TestVideoView : public QObject
{
    Q_OBJECT

private slots:
    void newTileStartsThenPausesFirstStart();
    void emptyListNeverStarts();
    void idlePassDoesNothing();
    void windowWideRequests_data();
    void windowWideRequests();
    void forcePlayAndDoPause();
    void pauseAtEndDoesNotReplay();
    void cropping_data();
    void cropping();
    void restoreCropping();
    void seekByWholeSeconds_data();
    void seekByWholeSeconds();
    void sliderFollowsUnlessEditing();
    void playOrPause_data();
    void playOrPause();
    void volumeAndMute_data();
    void volumeAndMute();
    void closeTearsDownOnce_data();
    void closeTearsDownOnce();
    void tileGoesAwayDuringTeardown();
    void replacementKeepsPlaceInList();
    void replacementWithoutEngine();
    void passesAreCoalesced();
    void tickRunsPass();
    void rebuiltTileKeepsPicture();
};

void TestVideoView::newTileStartsThenPausesFirstStart()
{
    Tile tile;
    settle();
    QCOMPARE(tile.calls(), QStringList{"play"});
    QVERIFY(tile.player().delegate());
    QVERIFY(!tile.player().drawable());

    // The engine starts and reports the picture: the first start is paused, the surface
    // attached, and playback started again.
    tile.calls().clear();
    tile.player().playing = true;
    tile.player().currentMedia->tracks = {{TrackInformation::Type::Video, 640, 360}};
    QTest::ignoreMessage(QtInfoMsg, "Setting drawable and playing");
    tile.player().sendStateChanged();
    settle();
    QCOMPARE(tile.calls(), (QStringList{"player.pause", "drawable set", "play"}));
    QVERIFY(!tile.state.justOpened());
    QCOMPARE(tile.player().drawable(), &tile.sink);
    QCOMPARE(tile.layout->counter(), 1);
}

void TestVideoView::emptyListNeverStarts()
{
    Tile tile;
    tile.listPlayer->setMediaList(tile.engine.createMediaList({}));
    settle();
    tile.state.setIndex(1);
    settle();
    QVERIFY(!tile.calls().contains("play"));
}

void TestVideoView::idlePassDoesNothing()
{
    Tile tile;
    tile.makeSteady();
    NotificationCounter stateNotes(&tile.state);
    NotificationCounter layoutNotes(tile.layout);
    tile.view.update();
    settle();
    QCOMPARE(tile.calls(), QStringList{});
    QCOMPARE(stateNotes.total, 0);
    QCOMPARE(layoutNotes.total, 0);

    // Repeat is given to the engine once, not on every pass.
    tile.state.setRepeatEnabled(true);
    settle();
    tile.state.setIndex(tile.state.index() + 1);
    settle();
    QCOMPARE(tile.calls(), QStringList{"setRepeatMode 1"});
}

void TestVideoView::windowWideRequests_data()
{
    QTest::addColumn<QByteArray>("flag");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("value");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("repeat on") << QByteArray("globalRepeatEnabled") << QByteArray("repeatEnabled")
                               << true << QStringList{"setRepeatMode 1"};
    QTest::newRow("repeat off") << QByteArray("globalRepeatDisabled") << QByteArray("repeatEnabled")
                                << false << QStringList{};
    QTest::newRow("mute") << QByteArray("globalMuteEnabled") << QByteArray("muted") << true
                          << QStringList{"setMuted true"};
    QTest::newRow("unmute") << QByteArray("globalMuteDisabled") << QByteArray("muted") << false
                            << QStringList{"setMuted false"};
}

void TestVideoView::windowWideRequests()
{
    QFETCH(QByteArray, flag);
    QFETCH(QByteArray, field);
    QFETCH(bool, value);
    QFETCH(QStringList, calls);

    Tile tile;
    tile.makeSteady();
    tile.state.setProperty(field, !value);
    tile.player().audioOutput->currentlyMuted = tile.state.muted();
    settle();
    tile.calls().clear();

    tile.meta->setProperty(flag, true);
    tile.view.update();
    // Cleared by the pass itself; the tile's field changes only in the step after it.
    QVERIFY(!tile.meta->property(flag).toBool());
    QCOMPARE(tile.state.property(field).toBool(), !value);
    settle();
    QCOMPARE(tile.state.property(field).toBool(), value);
    QCOMPARE(tile.calls(), calls);
}

void TestVideoView::forcePlayAndDoPause()
{
    Tile tile;
    tile.makeSteady();
    tile.player().playing = false;
    tile.state.setPlaying(false);
    settle();
    QCOMPARE(tile.calls(), QStringList{});

    tile.meta->setForcePlay(true);
    tile.view.update();
    QVERIFY(!tile.meta->forcePlay());
    settle();
    QVERIFY(tile.state.playing());
    QVERIFY(tile.meta->playing());
    QCOMPARE(tile.calls(), QStringList{"play"});

    tile.calls().clear();
    tile.player().playing = true;
    tile.meta->setDoPause(true);
    tile.view.update();
    QVERIFY(tile.state.playing());
    settle();
    QVERIFY(!tile.meta->doPause());
    QVERIFY(!tile.state.playing());
    QCOMPARE(tile.calls().first(), QStringLiteral("pause"));
    QCOMPARE(tile.calls().count("pause"), tile.calls().size());

    // Once the engine has paused, nothing more happens.
    tile.player().playing = false;
    tile.calls().clear();
    tile.state.setIndex(7);
    settle();
    QCOMPARE(tile.calls(), QStringList{});
}

// The end of the media without repeat: the engine has stopped, the wish is still to play,
// and the delegate asks for a pause. The pass pauses and does not start the player again.
void TestVideoView::pauseAtEndDoesNotReplay()
{
    Tile tile;
    tile.makeSteady();
    tile.player().playing = false;
    tile.player().playbackState = PlaybackState::Ended;
    tile.meta->setDoPause(true);
    tile.view.update();
    settle();
    QCOMPARE(tile.calls(), QStringList{"pause"});
    QVERIFY(!tile.state.playing());
}

void TestVideoView::cropping_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<float>("before");
    QTest::addColumn<float>("after");

    QTest::newRow("landscape") << "16:9" << 0.0f << 16.0f / 9.0f;
    QTest::newRow("portrait") << "9:16" << 0.0f << 0.5625f;
    QTest::newRow("portrait over landscape") << "9:16" << 16.0f / 9.0f << 0.5625f;
    QTest::newRow("other geometry keeps the ratio") << "4:3" << 0.5625f << 0.5625f;
}

void TestVideoView::cropping()
{
    QFETCH(QString, request);
    QFETCH(float, before);
    QFETCH(float, after);

    Tile tile;
    tile.makeSteady();
    tile.meta->setOverriddenAR(before);
    QSignalSpy counter(tile.layout, &LayoutState::counterChanged);
    tile.state.setChangeCropping(request);
    // However often the pass runs before its steps, the request is carried out once.
    tile.view.update();
    tile.view.update();
    settle();
    tile.state.setIndex(3);
    settle();
    QCOMPARE(tile.calls(), QStringList{"crop " + request});
    QCOMPARE(tile.meta->overriddenAR(), after);
    QVERIFY(tile.state.changeCropping().isEmpty());
    QCOMPARE(counter.count(), 1);
    QCOMPARE(tile.layout->counter(), 1);
}

void TestVideoView::restoreCropping()
{
    Tile tile;
    tile.makeSteady();
    tile.meta->setOverriddenAR(0.5625f);
    tile.state.setChangeCropping(QString());
    tile.state.setRestoreCropping(true);
    settle();
    tile.state.setIndex(1);
    settle();
    QCOMPARE(tile.calls(), QStringList{"crop none"});
    QCOMPARE(tile.meta->overriddenAR(), 0.0f);
    QVERIFY(!tile.state.restoreCropping());
    QCOMPARE(tile.layout->counter(), 1);

    // A later request is applied again.
    tile.state.setChangeCropping(QStringLiteral("16:9"));
    settle();
    QCOMPARE(tile.calls(), (QStringList{"crop none", "crop 16:9"}));
    QCOMPARE(tile.layout->counter(), 2);
}

void TestVideoView::seekByWholeSeconds_data()
{
    QTest::addColumn<qint64>("engineTime");
    QTest::addColumn<float>("target");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("0.4 s ahead") << qint64(10000) << 10.4f << QStringList{"jumpForward 0"};
    QTest::newRow("15 s ahead") << qint64(10000) << 25.0f << QStringList{"jumpForward 15"};
    QTest::newRow("20.7 s back") << qint64(30000) << 9.3f << QStringList{"jumpBackward 20"};
    QTest::newRow("same place") << qint64(30000) << 30.0f << QStringList{"jumpBackward 0"};
    QTest::newRow("engine time unknown") << qint64(-1) << 12.0f << QStringList{};
}

void TestVideoView::seekByWholeSeconds()
{
    QFETCH(qint64, engineTime);
    QFETCH(float, target);
    QFETCH(QStringList, calls);

    Tile tile;
    tile.makeSteady();
    tile.player().timeMs = engineTime < 0 ? std::nullopt : std::optional<qint64>(engineTime);
    tile.state.setPosition(target);
    tile.meta->setPositionChanged(true);
    tile.view.update();
    tile.view.update();
    settle();
    tile.state.setIndex(1);
    settle();
    QCOMPARE(tile.calls(), calls);
    QVERIFY(!tile.meta->positionChanged());
}

void TestVideoView::sliderFollowsUnlessEditing()
{
    Tile tile;
    tile.makeSteady();
    tile.state.setEditingPosition(true);
    tile.state.setDisplayedPosition(42.6f);
    tile.state.setPosition(5.0f);
    settle();
    QCOMPARE(tile.state.displayedPosition(), 42.6f);

    tile.state.setEditingPosition(false);
    settle();
    QCOMPARE(tile.state.displayedPosition(), 5.0f);
}

void TestVideoView::playOrPause_data()
{
    QTest::addColumn<bool>("enginePlaying");
    QTest::addColumn<bool>("wish");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("playing, wish paused") << true << false << QStringList{"pause"};
    QTest::newRow("paused, wish playing") << false << true << QStringList{"play"};
    QTest::newRow("in step while playing") << true << true << QStringList{};
    QTest::newRow("in step while paused") << false << false << QStringList{};
}

void TestVideoView::playOrPause()
{
    QFETCH(bool, enginePlaying);
    QFETCH(bool, wish);
    QFETCH(QStringList, calls);

    Tile tile;
    tile.makeSteady();
    tile.player().playing = enginePlaying;
    tile.state.setPlaying(wish);
    settle();
    QCOMPARE(tile.calls(), calls);
    QCOMPARE(tile.meta->playing(), wish);
}

void TestVideoView::volumeAndMute_data()
{
    QTest::addColumn<bool>("audioExists");
    QTest::addColumn<int>("engineVolume");
    QTest::addColumn<bool>("engineMuted");
    QTest::addColumn<float>("volume");
    QTest::addColumn<bool>("muted");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("no audio yet") << false << 0 << false << 40.0f << true << QStringList{};
    QTest::newRow("in step") << true << 100 << false << 100.0f << false << QStringList{};
    QTest::newRow("volume truncated")
        << true << 40 << false << 55.9f << false << QStringList{"setVolume 55"};
    QTest::newRow("mute") << true << 100 << false << 100.0f << true << QStringList{"setMuted true"};
    QTest::newRow("unmute and volume")
        << true << 100 << true << 20.0f << false << QStringList{"setVolume 20", "setMuted false"};
}

void TestVideoView::volumeAndMute()
{
    QFETCH(bool, audioExists);
    QFETCH(int, engineVolume);
    QFETCH(bool, engineMuted);
    QFETCH(float, volume);
    QFETCH(bool, muted);
    QFETCH(QStringList, calls);

    Tile tile;
    tile.makeSteady();
    tile.player().audioOutput->currentVolume = engineVolume;
    tile.player().audioOutput->currentlyMuted = engineMuted;
    if (!audioExists)
        tile.player().audioOutput.reset();
    tile.meta->setVolume(volume);
    tile.state.setMuted(muted);
    settle();
    QCOMPARE(tile.calls(), calls);
    QCOMPARE(tile.meta->muted(), muted);
}

void TestVideoView::closeTearsDownOnce_data()
{
    QTest::addColumn<bool>("windowClosing");
    QTest::newRow("tile closed") << false;
    QTest::newRow("window closing") << true;
}

void TestVideoView::closeTearsDownOnce()
{
    QFETCH(bool, windowClosing);

    Tile tile;
    tile.makeSteady();
    QTest::ignoreMessage(QtInfoMsg, "Player closed");
    QTest::ignoreMessage(QtInfoMsg, "Removed media player");
    if (windowClosing)
        tile.viewState.setIsClosed(true);
    else
        tile.state.setIsClosed(true);
    tile.view.update();
    tile.view.update();
    settle();
    tile.state.setIndex(5);
    settle();

    QCOMPARE(tile.calls(), (QStringList{"stop", "drawable none"}));
    QVERIFY(tile.meta->isClosed());
    QVERIFY(!tile.state.playing());
    QVERIFY(tile.layout->videoMetas().isEmpty());
    QCOMPARE(tile.listPlayer->mediaList()->count(), 0);
}

// A layout that drops a tile as soon as its record leaves the list destroys the view in the
// middle of the teardown step; the teardown still completes.
void TestVideoView::tileGoesAwayDuringTeardown()
{
    Tile tile;
    tile.makeSteady();
    tile.view.setPlayerState(nullptr);
    auto view = std::make_unique<VideoView>();
    view->setPlayerState(&tile.state);
    view->setViewState(&tile.viewState);
    view->setLayoutState(tile.layout);
    view->setDrawable(&tile.sink);
    settle();
    tile.calls().clear();
    QObject::connect(tile.layout, &LayoutState::videoMetasChanged, [&] {
        if (tile.layout->indexOfVideoMeta(tile.meta->id()) < 0)
            view.reset();
    });

    QTest::ignoreMessage(QtInfoMsg, "Player closed");
    QTest::ignoreMessage(QtInfoMsg, "Removed media player");
    tile.state.setIsClosed(true);
    settle();
    QVERIFY(!view);
    QCOMPARE(tile.calls(), (QStringList{"stop", "drawable none"}));
    QVERIFY(tile.meta->isClosed());
}

void TestVideoView::replacementKeepsPlaceInList()
{
    LayoutState layout;
    const auto first = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    layout.appendVideoMeta(first);
    Tile tile(&layout);
    const auto last = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    layout.appendVideoMeta(last);
    tile.makeSteady();
    tile.meta->setVolume(30.0f);
    tile.state.setRepeatEnabled(true);
    settle();

    QTest::ignoreMessage(QtInfoMsg, "Player closed");
    QTest::ignoreMessage(QtInfoMsg, "Removed media player");
    tile.meta->setNewURL(QUrl(QStringLiteral("http://127.0.0.1:8080/clips/next.mp4")));
    tile.state.setIndex(1);
    settle();

    QCOMPARE(layout.videoMetas().size(), 3);
    QCOMPARE(layout.videoMetas().at(0), first);
    QCOMPARE(layout.videoMetas().at(2), last);
    const auto next = layout.videoMetas().at(1);
    QVERIFY(next->id() != tile.meta->id());
    QCOMPARE(next->title(), QStringLiteral("next.mp4"));
    QCOMPARE(next->volume(), 30.0f);
    QVERIFY(next->repeatEnabled());
    QVERIFY(tile.meta->newURL().isEmpty());
    QVERIFY(tile.meta->isClosed());
    QVERIFY(tile.calls().contains("stop"));

    QCOMPARE(tile.engine.listPlayers.size(), 2);
    const auto &created = tile.engine.listPlayers.last();
    QCOMPARE(next->mediaPlayer(), created);
    QCOMPARE(created->options, QStringList{"--avcodec-hw=none"});
    QCOMPARE(created->mediaList()->count(), 1);
    QCOMPARE(created->mediaList()->mediaAtIndex(0)->url(),
             QUrl("http://127.0.0.1:8080/clips/next.mp4"));
}

void TestVideoView::replacementWithoutEngine()
{
    Tile tile;
    tile.makeSteady();
    tile.view.setEngine(nullptr);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No media engine to open"));
    tile.meta->setNewURL(QUrl(QStringLiteral("file:///clips/b.mp4")));
    tile.state.setIndex(1);
    settle();
    QVERIFY(tile.meta->newURL().isEmpty());
    QVERIFY(!tile.state.isClosed());
    QCOMPARE(tile.layout->videoMetas().size(), 1);
}

void TestVideoView::passesAreCoalesced()
{
    Tile tile;
    settle();
    tile.calls().clear();
    for (int i = 0; i < 5; ++i) {
        tile.state.setIndex(i);
        tile.layout->setViewWidth(100 + i);
        tile.viewState.setGlobalPause(false);
    }
    settle();
    QCOMPARE(tile.calls(), QStringList{"play"});
}

// The tile's tick bumps the index; every bump runs a pass, which finds a request set on the
// record although setting it notified nobody.
void TestVideoView::tickRunsPass()
{
    Tile tile;
    tile.makeSteady();
    tile.state.setPlaying(false);
    tile.player().playing = false;
    settle();
    tile.meta->setForcePlay(true);
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, &tile.state,
                     [&tile] { tile.state.setIndex(tile.state.index() + 1); });
    tick.start();
    QTRY_VERIFY(tile.state.playing());
    QVERIFY(!tile.meta->forcePlay());
}

void TestVideoView::rebuiltTileKeepsPicture()
{
    Tile tile;
    tile.makeSteady();
    QCOMPARE(tile.player().drawable(), &tile.sink);

    // A rebuilt tile: a new view with its own surface for the same player.
    auto rebuilt = std::make_unique<VideoView>();
    auto surface = std::make_unique<QVideoSink>();
    rebuilt->setPlayerState(&tile.state);
    rebuilt->setViewState(&tile.viewState);
    rebuilt->setLayoutState(tile.layout);
    rebuilt->setDrawable(surface.get());
    settle();
    QCOMPARE(tile.player().drawable(), surface.get());
    MediaPlayerDelegate *delegate = tile.player().delegate();
    QVERIFY(delegate);

    // The old view going away leaves the new view's delegate in place.
    tile.view.setPlayerState(nullptr);
    QCOMPARE(tile.player().delegate(), delegate);

    // A surface destroyed under the player is detached from it.
    surface.reset();
    QCOMPARE(tile.player().drawable(), nullptr);
    rebuilt.reset();
    QCOMPARE(tile.player().delegate(), nullptr);
}

QTEST_MAIN(TestVideoView)
#include "tst_videoview.moc"
