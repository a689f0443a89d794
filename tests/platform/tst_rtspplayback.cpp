// rtsp links played by the real libVLC engine through the bridge, from real RTSP servers.

#include "eventrecorder.h"
#include "rtsptestserver.h"

#include "medialist.h"
#include "medialistplayer.h"
#include "vlcmediaengine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace marquetrix;
using namespace marquetrix::test;
using namespace std::chrono_literals;

namespace {

struct Tile
{
    std::shared_ptr<MediaListPlayer> listPlayer;
    MediaPlayer *player = nullptr;
    std::unique_ptr<EventRecorder> recorder;
};

// Built the way the open-by-link path builds a tile for a direct link.
std::unique_ptr<Tile> makeTile(MediaEngine &engine, const QUrl &url)
{
    auto tile = std::make_unique<Tile>();
    tile->listPlayer = engine.createListPlayer({"--avcodec-hw=none", "--network-caching=10000"});
    tile->listPlayer->setMediaList(engine.createMediaList({engine.createMedia(url)}));
    tile->player = tile->listPlayer->mediaPlayer();
    tile->recorder = std::make_unique<EventRecorder>(tile->player);
    tile->player->setDelegate(tile->recorder.get());
    return tile;
}

// Whether a TCP connection to 127.0.0.1:port is open: the RTSP session's control
// connection, which a session keeps for as long as it runs.
bool connectedTo(quint16 port)
{
    QFile table(QStringLiteral("/proc/self/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    table.readLine();
    const QByteArray remote = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    while (!table.atEnd()) {
        const QList<QByteArray> fields = table.readLine().simplified().split(' ');
        constexpr QByteArrayView established = "01";
        if (fields.size() > 3 && fields[2].endsWith(":" + remote) && fields[3] == established)
            return true;
    }
    return false;
}

// Stopping and releasing must not wait on the network; a bound far above the few
// milliseconds they take catches a wait for a network timeout.
constexpr qint64 promptMs = 3000;

} // namespace

class TestRtspPlayback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playsLiveTile_data();
    void playsLiveTile();
    void pauseStopsTheSessionAndPlayResumes();
    void failuresBecomeErrors_data();
    void failuresBecomeErrors();
    void serverKilledMidStreamIsAnError();
    void stopIsPromptWhileServerHangs();

private:
    std::unique_ptr<VlcMediaEngine> m_engine;
};

void TestRtspPlayback::initTestCase()
{
    QVERIFY2(!RtspTestServer::clip().isEmpty(), "ffmpeg could not generate the test clip");
    m_engine = std::make_unique<VlcMediaEngine>(5s);
}

void TestRtspPlayback::playsLiveTile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("auth");
    QTest::newRow("GStreamer, TCP") << "gstreamer"
                                    << "none";
    QTest::newRow("GStreamer, digest auth") << "gstreamer"
                                            << "digest";
    QTest::newRow("libVLC stream output, UDP") << "vlc"
                                               << "none";
}

void TestRtspPlayback::playsLiveTile()
{
    QFETCH(QString, kind);
    QFETCH(QString, auth);

    RtspTestServer server;
    QVERIFY2(server.start({.kind = kind,
                           .transport = "tcp",
                           .auth = auth,
                           .user = "viewer",
                           .password = "pass:word"}),
             qPrintable(server.failure()));
    auto tile =
        makeTile(*m_engine,
                 auth == QLatin1String("none") ? server.url() : server.url("viewer", "pass:word"));
    EventRecorder &events = *tile->recorder;

    tile->listPlayer->play();
    QTRY_COMPARE_WITH_TIMEOUT(events.videoSize, QSize(320, 180), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime >= 1000, 15000);
    QCOMPARE(tile->player->state(), PlaybackState::Playing);
    QCOMPARE(events.count(PlaybackState::Error), 0);
    QVERIFY(!events.offGuiThread);

    QElapsedTimer clock;
    clock.start();
    tile->listPlayer->stop();
    QVERIFY2(clock.elapsed() < promptMs, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(tile->player->state(), PlaybackState::Stopped);

    // Release while playing: the bridge must be woken before libVLC joins its reader.
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.count(PlaybackState::Playing) >= 2, 15000);
    clock.restart();
    tile->player->setDelegate(nullptr);
    tile.reset();
    QVERIFY2(clock.elapsed() < promptMs, qPrintable(QString::number(clock.elapsed())));
}

void TestRtspPlayback::pauseStopsTheSessionAndPlayResumes()
{
    RtspTestServer server;
    QVERIFY2(server.start({.transport = "tcp"}), qPrintable(server.failure()));
    auto tile = makeTile(*m_engine, server.url());
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime >= 500, 15000);

    QVERIFY(connectedTo(server.port()));

    tile->listPlayer->pause();
    QTRY_COMPARE(tile->player->state(), PlaybackState::Paused);
    // A paused live tile holds no session, so nothing piles up and play resumes live.
    QTRY_VERIFY(!connectedTo(server.port()));
    const int timeEvents = events.timeEvents;

    tile->listPlayer->play();
    QTRY_COMPARE_WITH_TIMEOUT(tile->player->state(), PlaybackState::Playing, 15000);
    QVERIFY(connectedTo(server.port()));
    QTRY_VERIFY_WITH_TIMEOUT(events.timeEvents > timeEvents + 3, 15000);
    QCOMPARE(events.count(PlaybackState::Error), 0);
}

void TestRtspPlayback::failuresBecomeErrors_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("refused port") << "refused";
    QTest::newRow("unknown path") << "404";
    QTest::newRow("wrong password") << "401";
}

void TestRtspPlayback::failuresBecomeErrors()
{
    QFETCH(QString, failure);
    RtspTestServer server;
    QUrl url = QUrl(QStringLiteral("rtsp://127.0.0.1:%1/live").arg(RtspTestServer::freePort()));
    if (failure != QLatin1String("refused")) {
        QVERIFY2(server.start(
                     {.transport = "tcp", .auth = "basic", .user = "viewer", .password = "right"}),
                 qPrintable(server.failure()));
        url = failure == QLatin1String("404") ? server.url("viewer", "right", "/nothing")
                                              : server.url("viewer", "wrong");
    }
    auto tile = makeTile(*m_engine, url);
    tile->listPlayer->play();
    QTRY_COMPARE_WITH_TIMEOUT(tile->player->state(), PlaybackState::Error, 10000);
    QCOMPARE(tile->recorder->count(PlaybackState::Playing), 0);
}

void TestRtspPlayback::serverKilledMidStreamIsAnError()
{
    RtspTestServer server;
    QVERIFY2(server.start({.transport = "tcp"}), qPrintable(server.failure()));
    auto tile = makeTile(*m_engine, server.url());
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime >= 500, 15000);

    server.kill();
    QTRY_COMPARE_WITH_TIMEOUT(tile->player->state(), PlaybackState::Error, 10000);
    QCOMPARE(events.count(PlaybackState::Ended), 0);
}

void TestRtspPlayback::stopIsPromptWhileServerHangs()
{
    RtspTestServer server;
    QVERIFY2(server.start({.transport = "tcp"}), qPrintable(server.failure()));
    auto tile = makeTile(*m_engine, server.url());
    EventRecorder &events = *tile->recorder;
    tile->listPlayer->play();
    QTRY_VERIFY_WITH_TIMEOUT(events.maxTime >= 500, 15000);

    // libVLC's reader now waits for bytes that never come; only the bridge's abort frees
    // it before the network timeout.
    server.freeze();
    QElapsedTimer clock;
    clock.start();
    tile->listPlayer->stop();
    QVERIFY2(clock.elapsed() < promptMs, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(tile->player->state(), PlaybackState::Stopped);
}

QTEST_GUILESS_MAIN(TestRtspPlayback)
#include "tst_rtspplayback.moc"
