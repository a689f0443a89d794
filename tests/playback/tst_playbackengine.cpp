// The player binding and its delegate on the real engine, playing clips made for the test.

#include "mediagenerator.h"

#include "layoutstate.h"
#include "medialist.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "playerstate.h"
#include "videoview.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <memory>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

constexpr int kPlaybackTimeout = 15000;

// A tile as the window builds one for an opened file.
struct Tile
{
    Tile(MediaEngine &engine, const QString &path)
    {
        auto listPlayer = engine.createListPlayer({QStringLiteral("--avcodec-hw=none")});
        listPlayer->setMediaList(
            engine.createMediaList({engine.createMedia(QUrl::fromLocalFile(path))}));
        meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer);
        meta->setTitle(QUrl::fromLocalFile(path).fileName());
        layout.appendVideoMeta(meta);
        state = std::make_unique<PlayerState>(meta);
        view.setPlayerState(state.get());
        view.setViewState(&viewState);
        view.setLayoutState(&layout);
        view.setEngine(&engine);
        view.setDrawable(&sink);
        // The tile's tick, as the tile view runs it.
        QObject::connect(&tick, &QTimer::timeout, state.get(),
                         [this] { state->setIndex(state->index() + 1); });
        tick.start(300);
    }

    ~Tile()
    {
        // Closing the tile stops its player before the test's objects go.
        state->setIsClosed(true);
        QTRY_VERIFY(meta->isClosed());
    }

    MediaPlayer *player() const { return meta->mediaPlayer()->mediaPlayer(); }

    std::shared_ptr<VideoMetadata> meta;
    LayoutState layout;
    ViewState viewState;
    std::unique_ptr<PlayerState> state;
    QVideoSink sink;
    VideoView view;
    QTimer tick;
};

} // namespace

class TestPlaybackEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sizeReachesTheLayoutOnce_data();
    void sizeReachesTheLayoutOnce();
    void endWithoutRepeatPauses();
    void endWithRepeatLoops();
    void seekJumpsOnTheEngine();

private:
    MediaGenerator m_media;
    std::unique_ptr<VlcMediaEngine> m_engine;
};

void TestPlaybackEngine::initTestCase()
{
    m_engine = std::make_unique<VlcMediaEngine>();
}

void TestPlaybackEngine::sizeReachesTheLayoutOnce_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("16:9") << QSize(640, 360);
    QTest::newRow("9:16") << QSize(360, 640);
}

void TestPlaybackEngine::sizeReachesTheLayoutOnce()
{
    QFETCH(QSize, size);
    const QString path = m_media.clip({.size = size, .seconds = 3.0});
    QVERIFY2(!path.isEmpty(), qPrintable(m_media.failure()));

    Tile tile(*m_engine, path);
    QSignalSpy counter(&tile.layout, &LayoutState::counterChanged);
    QSignalSpy frames(&tile.sink, &QVideoSink::videoFrameChanged);

    QTRY_VERIFY_WITH_TIMEOUT(tile.meta->videoLoaded(), kPlaybackTimeout);
    QCOMPARE(tile.meta->width(), size.width());
    QCOMPARE(tile.meta->height(), size.height());
    QCOMPARE(tile.meta->effectiveAspectRatio(), float(size.width()) / float(size.height()));
    QVERIFY(tile.state->videoLoaded());

    // The surface is attached, the first start is behind it, and the picture arrives.
    QTRY_COMPARE_WITH_TIMEOUT(tile.player()->drawable(), &tile.sink, kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!tile.state->justOpened(), kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!frames.isEmpty(), kPlaybackTimeout);
    QCOMPARE(tile.sink.videoFrame().size(), size);
    QTRY_VERIFY_WITH_TIMEOUT(!tile.meta->loading(), kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tile.state->position() > 0.5f, kPlaybackTimeout);
    QVERIFY(tile.player()->isPlaying());
    QCOMPARE(tile.meta->mediaLength(), 3.0f);

    QCOMPARE(counter.count(), 1);
    QCOMPARE(tile.layout.counter(), 1);
}

void TestPlaybackEngine::endWithoutRepeatPauses()
{
    const QString path = m_media.clip({.size = {320, 240}, .seconds = 1.0});
    QVERIFY2(!path.isEmpty(), qPrintable(m_media.failure()));

    Tile tile(*m_engine, path);
    QTRY_VERIFY_WITH_TIMEOUT(tile.meta->ended(), kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!tile.state->playing(), kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!tile.player()->isPlaying(), kPlaybackTimeout);
    QVERIFY(!tile.meta->doPause());
    QVERIFY(!tile.meta->error());
    // Paused where it ended, not replayed from the start for a moment.
    QVERIFY2(tile.state->position() > 0.5f, qPrintable(QString::number(tile.state->position())));
    QCOMPARE(tile.layout.counter(), 1);

    // The tile stays paused: the passes of later ticks do not start it again.
    QSignalSpy ticks(tile.state.get(), &PlayerState::indexChanged);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 3, kPlaybackTimeout);
    QVERIFY(!tile.player()->isPlaying());
    QVERIFY(!tile.state->playing());
}

void TestPlaybackEngine::endWithRepeatLoops()
{
    const QString path = m_media.clip({.size = {320, 240}, .seconds = 1.0});
    QVERIFY2(!path.isEmpty(), qPrintable(m_media.failure()));

    Tile tile(*m_engine, path);
    tile.state->setRepeatEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(tile.state->position() > 0.5f, kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tile.meta->ended(), kPlaybackTimeout);
    // Back at the start and advancing again, still wished to play.
    QTRY_VERIFY_WITH_TIMEOUT(tile.state->position() < 0.5f, kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tile.player()->isPlaying(), kPlaybackTimeout);
    QVERIFY(tile.state->playing());
    QVERIFY(!tile.meta->doPause());
}

void TestPlaybackEngine::seekJumpsOnTheEngine()
{
    const QString path = m_media.clip({.size = {320, 240}, .seconds = 12.0});
    QVERIFY2(!path.isEmpty(), qPrintable(m_media.failure()));

    Tile tile(*m_engine, path);
    QTRY_VERIFY_WITH_TIMEOUT(!tile.meta->loading(), kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tile.player()->isPlaying(), kPlaybackTimeout);
    const float start = tile.state->position();
    QVERIFY(start < 3.0f);

    // What the forward button does. Playing alone cannot get this far this soon.
    tile.state->setPosition(start + 8.0f);
    tile.meta->setPositionChanged(true);
    QTRY_VERIFY_WITH_TIMEOUT(!tile.meta->positionChanged(), kPlaybackTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tile.state->position() >= start + 7.5f, 3000);
    QVERIFY(tile.state->position() < start + 11.0f);
}

QTEST_MAIN(TestPlaybackEngine)
#include "tst_playbackengine.moc"
