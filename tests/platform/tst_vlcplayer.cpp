// The libVLC engine layer against real clips, files and servers.

#include "eventrecorder.h"
#include "mediagenerator.h"
#include "testhttpserver.h"

#include "audiooutput.h"
#include "medialist.h"
#include "medialistplayer.h"
#include "vlcmediaengine.h"
#include "vlcreaper.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMutex>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

using namespace marquetrix;
using namespace marquetrix::test;
using namespace std::chrono_literals;

namespace {

// The network bound of the engine under test; production uses 30 s.
constexpr auto networkBound = 2s;

struct Tile
{
    std::shared_ptr<MediaListPlayer> listPlayer;
    MediaPlayer *player = nullptr;
    std::unique_ptr<EventRecorder> recorder;
};

// Built the way the opening paths build a tile: media, one-item list, list player.
std::unique_ptr<Tile> makeTile(MediaEngine &engine, const QUrl &url,
                               const QStringList &options = {"--avcodec-hw=none"})
{
    auto tile = std::make_unique<Tile>();
    tile->listPlayer = engine.createListPlayer(options);
    tile->listPlayer->setMediaList(engine.createMediaList({engine.createMedia(url)}));
    tile->player = tile->listPlayer->mediaPlayer();
    tile->recorder = std::make_unique<EventRecorder>(tile->player);
    tile->player->setDelegate(tile->recorder.get());
    return tile;
}

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task"))
                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                   .size());
}

QMutex logMutex;
QStringList engineLog;
QtMessageHandler previousHandler = nullptr;

void captureEngineLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "marquetrix.engine") == 0) {
        QMutexLocker locker(&logMutex);
        engineLog.append(message);
    }
    if (type != QtDebugMsg)
        previousHandler(type, context, message);
}

} // namespace

class TestVlcPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reportsSizeLengthAndTime_data();
    void reportsSizeLengthAndTime();
    void endsWithoutRepeat();
    void repeatLoops();
    void playAfterEndStartsAgain();
    void pauseAndResume();
    void jumpsBySeconds();
    void unplayableMediaIsAnError_data();
    void unplayableMediaIsAnError();
    void stalledServerIsAnErrorAfterTheBound_data();
    void stalledServerIsAnErrorAfterTheBound();
    void pausedTileIsNotStalled();
    void closingABusyStreamLeavesTheGuiThreadFree();
    void playsHlsPlaylist();
    void volumeAndMuteOutliveTheAudioOutput();
    void optionsReachTheDecoder_data();
    void optionsReachTheDecoder();
    void releaseLeavesNoThreadsAndNoEvents();

private:
    QUrl clip(const ClipRequest &request = {});

    MediaGenerator m_media;
    std::unique_ptr<TestHttpServer> m_http;
    std::unique_ptr<VlcMediaEngine> m_engine;
};

QUrl TestVlcPlayer::clip(const ClipRequest &request)
{
    const QString path = m_media.clip(request);
    if (path.isEmpty())
        qWarning("%s", qPrintable(m_media.failure()));
    return QUrl::fromLocalFile(path);
}

void TestVlcPlayer::initTestCase()
{
    m_engine = std::make_unique<VlcMediaEngine>(networkBound);
    m_http = std::make_unique<TestHttpServer>(m_media.directory());
    QVERIFY(m_http->start());
    QVERIFY2(!m_media.clip().isEmpty(), qPrintable(m_media.failure()));
}

void TestVlcPlayer::reportsSizeLengthAndTime_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("container");
    QTest::addColumn<bool>("overHttp");
    QTest::newRow("16:9 file") << QSize(640, 360) << "mp4" << false;
    QTest::newRow("4:3 file") << QSize(640, 480) << "mp4" << false;
    QTest::newRow("9:16 file") << QSize(360, 640) << "mp4" << false;
    QTest::newRow("16:9 over http") << QSize(640, 360) << "mp4" << true;
    // libVLC reads no picture size from MPEG-TS, and over HTTP no length either.
    QTest::newRow("16:9 ts file") << QSize(640, 360) << "ts" << false;
    QTest::newRow("4:3 ts over http") << QSize(640, 480) << "ts" << true;
}

void TestVlcPlayer::reportsSizeLengthAndTime()
{
    QFETCH(QSize, size);
    QFETCH(QString, container);
    QFETCH(bool, overHttp);
    const QUrl file = clip({.size = size, .container = container});
    const QUrl url = overHttp ? m_http->url(file.fileName()) : file;
    auto tile = makeTile(*m_engine, url);
    EventRecorder &events = *tile->recorder;
    QVERIFY(!tile->player->time().has_value());

    tile->listPlayer->play();
    // The size arrives through the track list and reaches the delegate with a state event.
    QTRY_COMPARE_WITH_TIMEOUT(events.videoSize, size, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime > 0, 5000);
    QVERIFY(tile->player->media()->url() == url);
    if (container != "ts" || !overHttp)
        QVERIFY(qAbs(events.length - 1000) < 100);
    QVERIFY(events.states.contains(PlaybackState::Playing));
    QVERIFY(!events.offGuiThread);
    QVERIFY(!events.unknownPlayer);
}

void TestVlcPlayer::endsWithoutRepeat()
{
    auto tile = makeTile(*m_engine, clip());
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->setRepeatMode(0);
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.count(PlaybackState::Ended) > 0, 5000);
    QCOMPARE(tile->player->state(), PlaybackState::Ended);
    QVERIFY(!tile->player->isPlaying());
    // Callers react to the state event that follows the end; the end must still read Ended.
    QTRY_COMPARE(events.count(PlaybackState::Ended), 2);
    QCOMPARE(events.states.last(), PlaybackState::Ended);
    QCOMPARE(events.count(PlaybackState::Error), 0);
    QCOMPARE(events.entered(PlaybackState::Opening), 1);
}

void TestVlcPlayer::repeatLoops()
{
    auto tile = makeTile(*m_engine, clip());
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->setRepeatMode(1);
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.count(PlaybackState::Ended) >= 2, 8000);
    QTRY_VERIFY_WITH_TIMEOUT(events.entered(PlaybackState::Playing) >= 3, 5000);
    QCOMPARE(events.count(PlaybackState::Error), 0);
    QVERIFY(events.nextMediaEvents >= 3);
    // Repeat goes on until it is switched off; then the item ends for good.
    tile->listPlayer->setRepeatMode(0);
    const int ends = events.count(PlaybackState::Ended);
    QTRY_VERIFY_WITH_TIMEOUT(events.count(PlaybackState::Ended) > ends, 5000);
    QTRY_COMPARE(tile->player->state(), PlaybackState::Ended);
    const int playing = events.entered(PlaybackState::Playing);
    QTest::qWait(300);
    QCOMPARE(events.entered(PlaybackState::Playing), playing);
}

void TestVlcPlayer::playAfterEndStartsAgain()
{
    auto tile = makeTile(*m_engine, clip());
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->play();
    QTRY_COMPARE_WITH_TIMEOUT(events.count(PlaybackState::Ended), 2, 5000);
    events.maxTime = -1;
    tile->listPlayer->play();
    // The update pass asks again while the start is under way; that must not restart it.
    tile->listPlayer->play();
    QTRY_COMPARE_WITH_TIMEOUT(events.entered(PlaybackState::Playing), 2, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime > 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(events.count(PlaybackState::Ended), 4, 5000);
    QCOMPARE(events.entered(PlaybackState::Opening), 2);
}

void TestVlcPlayer::pauseAndResume()
{
    auto tile = makeTile(*m_engine, clip({.seconds = 4}));
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->play();
    // A pause asked for while the media is still opening holds once it plays.
    tile->listPlayer->pause();
    QTRY_COMPARE_WITH_TIMEOUT(tile->player->state(), PlaybackState::Paused, 5000);
    QVERIFY(!tile->player->isPlaying());
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(tile->player->isPlaying(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime > 200, 5000);
    tile->listPlayer->pause();
    QTRY_COMPARE_WITH_TIMEOUT(tile->player->state(), PlaybackState::Paused, 5000);
    const qint64 pausedAt = tile->player->time().value_or(-1);
    QVERIFY(pausedAt > 0);
    QTest::qWait(400);
    QCOMPARE(tile->player->time().value_or(-1), pausedAt);
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(tile->player->time().value_or(-1) > pausedAt, 5000);
    QCOMPARE(events.entered(PlaybackState::Opening), 1);
}

void TestVlcPlayer::jumpsBySeconds()
{
    auto tile = makeTile(*m_engine, clip({.seconds = 6}));
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime > 0, 5000);
    tile->listPlayer->pause();
    QTRY_COMPARE_WITH_TIMEOUT(tile->player->state(), PlaybackState::Paused, 5000);
    const qint64 start = *tile->player->time();

    tile->player->jumpForward(3);
    QTRY_VERIFY_WITH_TIMEOUT(tile->player->time().value_or(0) >= start + 2900, 5000);
    QVERIFY(*tile->player->time() < start + 3500);
    tile->player->jumpBackward(2);
    QTRY_VERIFY_WITH_TIMEOUT(tile->player->time().value_or(0) < start + 1500, 5000);
    QVERIFY(*tile->player->time() >= start + 900);
    // A jump back past the start lands on the start.
    tile->player->jumpBackward(30);
    QTRY_VERIFY_WITH_TIMEOUT(tile->player->time().value_or(-1) < 300, 5000);
}

void TestVlcPlayer::unplayableMediaIsAnError_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("corrupt file") << "corrupt";
    QTest::newRow("truncated file") << "truncated";
    QTest::newRow("garbage file") << "garbage";
    // libVLC scans all of it for something to play, for as long as the file is big.
    QTest::newRow("file of zeros") << "zeros";
    QTest::newRow("missing file") << "missing";
    QTest::newRow("http 404") << "404";
    QTest::newRow("refused connection") << "refused";
    QTest::newRow("rtsp refused connection") << "rtsp";
}

void TestVlcPlayer::unplayableMediaIsAnError()
{
    QFETCH(QString, kind);
    QUrl url;
    if (kind == "corrupt")
        url = QUrl::fromLocalFile(m_media.corruptFile());
    else if (kind == "truncated")
        url = QUrl::fromLocalFile(m_media.truncatedFile());
    else if (kind == "garbage")
        url = QUrl::fromLocalFile(m_media.garbageFile());
    else if (kind == "zeros") {
        QFile zeros(m_media.directory() + "/zeros.mp4");
        QVERIFY(zeros.open(QIODevice::WriteOnly) && zeros.resize(qint64(1) << 30));
        url = QUrl::fromLocalFile(zeros.fileName());
    } else if (kind == "missing")
        url = QUrl::fromLocalFile(m_media.directory() + "/no-such-file.mp4");
    else if (kind == "404")
        url = m_http->url("no-such-file.mp4");
    else if (kind == "refused")
        url = QUrl("http://127.0.0.1:9/clip.mp4");
    else
        url = QUrl("rtsp://127.0.0.1:9/live");
    QVERIFY(url.isValid() && !url.path().isEmpty());

    auto tile = makeTile(*m_engine, url);
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.count(PlaybackState::Error) > 0, 10000);
    QCOMPARE(tile->player->state(), PlaybackState::Error);
    QVERIFY(!tile->player->isPlaying());
    QCOMPARE(events.count(PlaybackState::Ended), 0);
}

void TestVlcPlayer::stalledServerIsAnErrorAfterTheBound_data()
{
    // Where the server stops sending, as a fraction of the file; 0: it never answers.
    QTest::addColumn<double>("cutAt");
    // Whether the server closes the connection there rather than holding it open.
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("fails");
    QTest::newRow("never answers") << 0.0 << false << true;
    QTest::newRow("stops halfway") << 0.5 << false << true;
    // A dropped connection reaches libVLC as a plain end; only a stream played to its
    // length has ended.
    QTest::newRow("closes halfway") << 0.5 << true << true;
    QTest::newRow("sends it whole") << 1.0 << true << false;
}

void TestVlcPlayer::stalledServerIsAnErrorAfterTheBound()
{
    QFETCH(double, cutAt);
    QFETCH(bool, closes);
    QFETCH(bool, fails);
    const QString path = m_media.clip({.seconds = 8, .indexFirst = true});
    QVERIFY2(!path.isEmpty(), qPrintable(m_media.failure()));
    if (cutAt == 0)
        m_http->setMode(TestHttpServer::Mode::Stall);
    else
        m_http->cutAt(qint64(double(QFileInfo(path).size()) * cutAt),
                      closes ? TestHttpServer::Cut::Close : TestHttpServer::Cut::Hold);
    const auto serveWhole = [this] {
        m_http->setMode(TestHttpServer::Mode::Serve);
        m_http->cutAt(-1, TestHttpServer::Cut::Hold);
    };
    const auto restore = qScopeGuard(serveWhole);
    auto tile = makeTile(*m_engine, m_http->url(QFileInfo(path).fileName()));
    EventRecorder &events = *tile->recorder;
    // The bound counts from the moment the picture last moved on.
    QElapsedTimer sinceAdvance;
    sinceAdvance.start();
    QObject::connect(&events, &EventRecorder::timeChanged,
                     [&sinceAdvance] { sinceAdvance.start(); });
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(
        events.count(PlaybackState::Error) > 0 || events.count(PlaybackState::Ended) > 0, 15000);
    const qint64 noticedAfter = sinceAdvance.elapsed();
    QCOMPARE(tile->player->state(), fails ? PlaybackState::Error : PlaybackState::Ended);
    if (!fails)
        return;
    if (cutAt > 0)
        QVERIFY2(events.maxTime > 0, "the stream never played before the cut");
    if (!closes) {
        qInfo("Stall noticed %lld ms after the picture last moved", noticedAfter);
        QVERIFY2(noticedAfter >= 1800 && noticedAfter < 6000,
                 qPrintable(QString::number(noticedAfter)));
    }
    // The player is usable again once the server answers.
    serveWhole();
    events.maxTime = -1;
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime > 0, 5000);
}

void TestVlcPlayer::pausedTileIsNotStalled()
{
    const QString path = m_media.clip({.seconds = 8, .indexFirst = true});
    QVERIFY2(!path.isEmpty(), qPrintable(m_media.failure()));
    m_http->cutAt(QFileInfo(path).size() / 2, TestHttpServer::Cut::Hold);
    const auto restore = qScopeGuard([this] { m_http->cutAt(-1, TestHttpServer::Cut::Hold); });
    auto tile = makeTile(*m_engine, m_http->url(QFileInfo(path).fileName()));
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(tile->recorder->maxTime > 0, 5000);
    tile->listPlayer->pause();
    QTRY_COMPARE_WITH_TIMEOUT(tile->player->state(), PlaybackState::Paused, 5000);
    // Nothing is wanted from the server while the user keeps the tile paused.
    QTest::qWait(int(std::chrono::milliseconds(networkBound).count()) * 2);
    QCOMPARE(tile->recorder->count(PlaybackState::Error), 0);
    QCOMPARE(tile->player->state(), PlaybackState::Paused);
}

void TestVlcPlayer::closingABusyStreamLeavesTheGuiThreadFree()
{
    // libVLC's playlist reader takes seconds to wind down on a playlist this long, and the
    // input thread it joins on stop with it.
    const QString playlist = m_media.repeatingHlsPlaylist(10000);
    QVERIFY2(!playlist.isEmpty(), qPrintable(m_media.failure()));
    // Reading the playlist alone takes libVLC longer than the bound of the other tests.
    VlcMediaEngine patientEngine(60s);
    auto tile = makeTile(patientEngine, m_http->url(QFileInfo(playlist).fileName()),
                         {"--network-caching=5000"});
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(tile->recorder->maxTime > 0, 60000);

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start(10);
    sinceTick.start();
    QTest::qWait(200);
    // What closing a tile does: stop, then drop the player.
    tile->listPlayer->stop();
    tile.reset();
    QTest::qWait(1000);
    qInfo("Longest pause of the GUI thread while closing: %lld ms", longestGap);
    QVERIFY2(longestGap < 500, qPrintable(QString::number(longestGap)));
}

void TestVlcPlayer::playsHlsPlaylist()
{
    const QString playlist = m_media.hlsPlaylist();
    QVERIFY2(!playlist.isEmpty(), qPrintable(m_media.failure()));
    auto tile = makeTile(*m_engine, m_http->url(QFileInfo(playlist).fileName()),
                         {"--network-caching=5000"});
    EventRecorder &events = *tile->recorder;
    QVideoSink sink;
    tile->player->setDrawable(&sink);
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime > 500, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(events.videoSize, QSize(640, 360), 5000);
    // The segments are MPEG-TS, whose size libVLC learns too late for its picture buffers.
    QCOMPARE(sink.videoFrame().size(), QSize(640, 360));
    QCOMPARE(events.count(PlaybackState::Error), 0);
}

void TestVlcPlayer::volumeAndMuteOutliveTheAudioOutput()
{
    auto tile = makeTile(*m_engine, clip({.seconds = 3}));
    EventRecorder &events = *tile->recorder;
    QCOMPARE(tile->player->audio(), nullptr);
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(tile->player->audio() != nullptr, 5000);
    tile->player->audio()->setVolume(30);
    tile->player->audio()->setMuted(true);

    tile->listPlayer->stop();
    QCOMPARE(tile->player->audio(), nullptr);
    QTRY_COMPARE(tile->player->state(), PlaybackState::Stopped);
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(tile->player->audio() != nullptr, 5000);
    QCOMPARE(tile->player->audio()->volume(), 30);
    QVERIFY(tile->player->audio()->isMuted());
    tile->player->audio()->setVolume(250);
    QCOMPARE(tile->player->audio()->volume(), 100);
    QVERIFY(events.entered(PlaybackState::Opening) == 2);
}

void TestVlcPlayer::optionsReachTheDecoder_data()
{
    QTest::addColumn<QString>("module");
    // Both differ from libVLC's default, so the log shows whether the option arrived.
    QTest::newRow("vaapi") << "vaapi";
    QTest::newRow("vdpau") << "vdpau";
}

void TestVlcPlayer::optionsReachTheDecoder()
{
    QFETCH(QString, module);
    {
        QMutexLocker locker(&logMutex);
        engineLog.clear();
    }
    QLoggingCategory::setFilterRules(QStringLiteral("marquetrix.engine.debug=true"));
    previousHandler = qInstallMessageHandler(captureEngineLog);
    auto tile = makeTile(*m_engine, clip(), {"--avcodec-hw=" + module, "--network-caching=10000"});
    tile->listPlayer->play();
    const QString expected = QStringLiteral("hw decoder module matching \"%1\"").arg(module);
    const auto seen = [&expected] {
        QMutexLocker locker(&logMutex);
        return !engineLog.filter(expected).isEmpty();
    };
    QTRY_VERIFY_WITH_TIMEOUT(seen(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(tile->recorder->count(PlaybackState::Ended), 2, 5000);
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules(QString());
}

void TestVlcPlayer::releaseLeavesNoThreadsAndNoEvents()
{
    // The first player of a process starts libVLC's and Qt's own lasting threads.
    {
        auto warmUp = makeTile(*m_engine, clip());
        warmUp->listPlayer->play();
        QTRY_VERIFY_WITH_TIMEOUT(warmUp->recorder->maxTime > 0, 5000);
    }
    // Players released by earlier tests may still be winding down.
    QVERIFY(VlcReaper::waitForAll(60s));
    QTRY_VERIFY_WITH_TIMEOUT(threadCount() > 0, 1000);
    const int baseline = threadCount();

    EventRecorder lateEvents;
    for (int round = 0; round < 12; ++round) {
        auto tile = makeTile(*m_engine, clip());
        tile->player->setDelegate(&lateEvents);
        lateEvents.expect(tile->player);
        tile->listPlayer->play();
        // Half of them are released mid-start, half while playing.
        if (round % 2)
            QTRY_VERIFY_WITH_TIMEOUT(lateEvents.maxTime > 0, 5000);
        if (round % 3 == 0)
            tile->listPlayer->stop();
        tile.reset();
        const int seen = lateEvents.events();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(lateEvents.events(), seen);
        lateEvents.maxTime = -1;
    }
    QTRY_COMPARE_WITH_TIMEOUT(threadCount(), baseline, 5000);
}

QTEST_GUILESS_MAIN(TestVlcPlayer)
#include "tst_vlcplayer.moc"
