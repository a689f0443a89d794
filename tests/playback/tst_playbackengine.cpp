// The player binding and its delegate on the real engine, playing clips made for the test:
// two tiles play at once, one to its end, one sought forward.

#include "mediagenerator.h"

#include "layoutstate.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "playerstate.h"
#include "videoview.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

constexpr int kTimeout = 15000;

// A tile as the window builds one for an opened file, with its tick.
struct Tile
{
    Tile(MediaEngine &engine, const QString &path)
    {
        auto listPlayer = engine.createListPlayer({QStringLiteral("--avcodec-hw=none")});
        listPlayer->setMediaList(
            engine.createMediaList({engine.createMedia(QUrl::fromLocalFile(path))}));
        meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer);
        layout.appendVideoMeta(meta);
        state = std::make_unique<PlayerState>(meta);
        view.setPlayerState(state.get());
        view.setViewState(&viewState);
        view.setLayoutState(&layout);
        view.setDrawable(&sink);
        QObject::connect(&tick, &QTimer::timeout, state.get(),
                         [this] { state->setIndex(state->index() + 1); });
        tick.start(300);
    }

    ~Tile()
    {
        state->setIsClosed(true);
        QTRY_VERIFY(meta->isClosed());
    }

    bool enginePlays() const { return meta->mediaPlayer()->mediaPlayer()->isPlaying(); }
    qint64 engineTime() const { return meta->mediaPlayer()->mediaPlayer()->time().value_or(0); }

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
    void endAndSeek();
};

void TestPlaybackEngine::endAndSeek()
{
    MediaGenerator media;
    const QSize size(320, 180);
    const QString shortClip = media.clip({.size = size, .seconds = 1.5, .fps = 10});
    const QString longClip = media.clip({.size = size, .seconds = 10.0, .fps = 10});
    QVERIFY2(!shortClip.isEmpty() && !longClip.isEmpty(), qPrintable(media.failure()));

    VlcMediaEngine engine;
    Tile ends(engine, shortClip);
    Tile seeks(engine, longClip);

    // What the forward button does: the engine gets further ahead than playing alone could in
    // the time it took, and the tile follows.
    QTRY_VERIFY_WITH_TIMEOUT(!seeks.meta->loading() && seeks.enginePlays(), kTimeout);
    const float start = seeks.state->position();
    QElapsedTimer clock;
    clock.start();
    seeks.state->setPosition(start + 8.0f);
    seeks.meta->setPositionChanged(true);
    QTRY_VERIFY_WITH_TIMEOUT(seeks.engineTime() >= qint64(start * 1000) + 6500, kTimeout);
    QVERIFY(seeks.engineTime() - qint64(start * 1000) > clock.elapsed() + 1500);
    QTRY_VERIFY_WITH_TIMEOUT(!seeks.meta->positionChanged(), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(seeks.state->position() >= start + 6.5f, kTimeout);

    QTRY_VERIFY_WITH_TIMEOUT(ends.meta->videoLoaded(), kTimeout);
    QCOMPARE(QSize(ends.meta->width(), ends.meta->height()), size);
    QCOMPARE(ends.meta->effectiveAspectRatio(), 16.0f / 9.0f);
    QCOMPARE(ends.meta->mediaLength(), 1.5f);
    QTRY_COMPARE_WITH_TIMEOUT(ends.sink.videoFrame().size(), size, kTimeout);
    QVERIFY(!ends.state->justOpened());

    // Without repeat: paused where it ended, not replayed from the start for a moment, and
    // the passes of later ticks do not start it again.
    QTRY_VERIFY_WITH_TIMEOUT(ends.meta->ended() && !ends.state->playing(), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!ends.enginePlays(), kTimeout);
    QVERIFY2(ends.state->position() > 0.5f, qPrintable(QString::number(ends.state->position())));
    QSignalSpy ticks(ends.state.get(), &PlayerState::indexChanged);
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 3, kTimeout);
    QVERIFY(!ends.enginePlays() && !ends.state->playing() && !ends.meta->error());
    QCOMPARE(ends.layout.counter(), 1);
}

QTEST_MAIN(TestPlaybackEngine)
#include "tst_playbackengine.moc"
