#include "rtspbridge.h"
#include "rtsptestserver.h"
#include "rtsptsprobe.h"

#include <QTcpServer>
#include <QTest>
#include <future>
#include <mutex>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/log.h>
}

using namespace marquetrix;
using namespace std::chrono_literals;
using marquetrix::test::probeTs;
using marquetrix::test::RtspTestServer;
using marquetrix::test::TsSummary;

namespace {

struct ReadOutcome
{
    QByteArray bytes;
    int64_t last = 0;
    bool finished = false;
};

// Reads on another thread, as libVLC does, until `wanted` bytes arrived or read() gave
// up. A read that is still blocked after `limit` is aborted so the test never hangs.
ReadOutcome readFrom(RtspBridge &bridge, qsizetype wanted, std::chrono::milliseconds limit)
{
    auto future = std::async(std::launch::async, [&bridge, wanted] {
        ReadOutcome outcome;
        uint8_t chunk[32 * 1024];
        while (outcome.bytes.size() < wanted) {
            outcome.last = bridge.read(chunk, sizeof chunk);
            if (outcome.last <= 0)
                break;
            outcome.bytes.append(reinterpret_cast<const char *>(chunk), outcome.last);
        }
        return outcome;
    });
    const bool finished = future.wait_for(limit) == std::future_status::ready;
    if (!finished)
        bridge.abort();
    ReadOutcome outcome = future.get();
    outcome.finished = finished;
    return outcome;
}

QStringList capturedLog;
std::mutex capturedLogMutex;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
    std::lock_guard lock(capturedLogMutex);
    capturedLog.append(message);
}

} // namespace

class TestRtspBridge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void playsAsTransportStream_data();
    void playsAsTransportStream();
    void playsAudioOnlySession();
    void failsWithinBound_data();
    void failsWithinBound();
    void abortReleasesBlockedRead();
    void serverLostMidStream_data();
    void serverLostMidStream();
    void endsOnlyNearTheAnnouncedLength_data();
    void endsOnlyNearTheAnnouncedLength();
    void startsAgainAfterReset();
};

void TestRtspBridge::initTestCase()
{
    QVERIFY2(!RtspTestServer::clip().isEmpty(), "ffmpeg could not generate the test clip");
    qInstallMessageHandler(captureLog);
    // The probe reads a live capture: uneven decoding times are expected, not worth a line.
    av_log_set_level(AV_LOG_ERROR);
}

void TestRtspBridge::init()
{
    std::lock_guard lock(capturedLogMutex);
    capturedLog.clear();
}

void TestRtspBridge::playsAsTransportStream_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("transport");
    QTest::addColumn<QString>("auth");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("urlPassword");
    QTest::addColumn<bool>("audio");

    QTest::newRow("GStreamer over TCP or UDP") << "gstreamer"
                                               << "both"
                                               << "none"
                                               << ""
                                               << "" << true;
    QTest::newRow("GStreamer over UDP only") << "gstreamer"
                                             << "udp"
                                             << "none"
                                             << ""
                                             << "" << true;
    QTest::newRow("libVLC stream output, UDP") << "vlc"
                                               << ""
                                               << "none"
                                               << ""
                                               << "" << true;
    QTest::newRow("basic auth, ':' raw in password") << "gstreamer"
                                                     << "tcp"
                                                     << "basic"
                                                     << "se:cret"
                                                     << "se:cret" << true;
    QTest::newRow("digest auth, ':' raw in password") << "gstreamer"
                                                      << "tcp"
                                                      << "digest"
                                                      << "se:cret"
                                                      << "se:cret" << true;
    QTest::newRow("digest auth, ':' as %3A in password") << "gstreamer"
                                                         << "tcp"
                                                         << "digest"
                                                         << "se:cret"
                                                         << "se%3Acret" << true;
    QTest::newRow("basic auth, ':' as %3A in password") << "gstreamer"
                                                        << "tcp"
                                                        << "basic"
                                                        << "se:cret"
                                                        << "se%3Acret" << true;
}

void TestRtspBridge::playsAsTransportStream()
{
    QFETCH(QString, kind);
    QFETCH(QString, transport);
    QFETCH(QString, auth);
    QFETCH(QString, password);
    QFETCH(QString, urlPassword);
    QFETCH(bool, audio);

    RtspTestServer server;
    QVERIFY2(server.start({.kind = kind,
                           .transport = transport,
                           .auth = auth,
                           .user = "viewer",
                           .password = password}),
             qPrintable(server.failure()));
    QUrl url = server.url();
    if (auth != QLatin1String("none")) {
        url = QUrl(QStringLiteral("rtsp://viewer:%1@127.0.0.1:%2/live")
                       .arg(urlPassword)
                       .arg(server.port()));
    }

    RtspBridge bridge(url, 5s);
    bridge.start();
    const ReadOutcome outcome = readFrom(bridge, 96 * 1024, 20s);
    QVERIFY2(outcome.finished, "read() blocked although the server streams");
    QVERIFY2(outcome.last > 0, qPrintable(bridge.error().value_or("no error")));
    QCOMPARE(outcome.bytes.at(0), char(0x47));

    const TsSummary ts = probeTs(outcome.bytes);
    QVERIFY(ts.opened);
    QCOMPARE(ts.videoCodec, QByteArray("h264"));
    QCOMPARE(ts.width, 320);
    QCOMPARE(ts.height, 180);
    QCOMPARE(ts.hasAudio, audio);
    QVERIFY(ts.videoPackets > 10);
    QVERIFY(ts.firstVideoIsKey);
    QVERIFY(ts.timestampsOrdered);
    QVERIFY(!bridge.error());

    if (!password.isEmpty()) {
        std::lock_guard lock(capturedLogMutex);
        QVERIFY(!capturedLog.isEmpty());
        for (const QString &line : capturedLog)
            QVERIFY2(!line.contains(QLatin1String("cret")), qPrintable(line));
    }
}

void TestRtspBridge::playsAudioOnlySession()
{
    RtspTestServer server;
    QVERIFY2(server.start({.transport = "tcp", .content = "audio"}), qPrintable(server.failure()));
    RtspBridge bridge(server.url(), 5s);
    bridge.start();
    // With no picture to wait for, the stream starts with the first packet.
    const ReadOutcome outcome = readFrom(bridge, 16 * 1024, 20s);
    QVERIFY2(outcome.last > 0, qPrintable(bridge.error().value_or("no error")));
    const TsSummary ts = probeTs(outcome.bytes);
    QVERIFY(ts.opened);
    QVERIFY(ts.hasAudio);
    QVERIFY(ts.videoCodec.isEmpty());
    QVERIFY(ts.timestampsOrdered);
}

void TestRtspBridge::failsWithinBound_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("expected");

    QTest::newRow("refused port") << "refused"
                                  << "refused the connection";
    QTest::newRow("unknown path") << "404"
                                  << "(404)";
    QTest::newRow("wrong password, basic") << "basic"
                                           << "(401)";
    QTest::newRow("wrong password, digest") << "digest"
                                            << "(401)";
    QTest::newRow("server accepts and never answers") << "silent"
                                                      << "did not answer within 1 s";
    QTest::newRow("only a codec the TS cannot carry") << "mjpeg"
                                                      << "no video or audio that can be played";
}

void TestRtspBridge::failsWithinBound()
{
    QFETCH(QString, failure);
    QFETCH(QString, expected);

    RtspTestServer server;
    QTcpServer silent;
    QUrl url;
    if (failure == QLatin1String("refused")) {
        url = QUrl(QStringLiteral("rtsp://127.0.0.1:%1/live").arg(RtspTestServer::freePort()));
    } else if (failure == QLatin1String("silent")) {
        // The kernel completes the handshake; nobody ever reads or answers.
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        url = QUrl(QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent.serverPort()));
    } else if (failure == QLatin1String("mjpeg")) {
        QVERIFY2(server.start({.transport = "tcp", .content = "mjpeg"}),
                 qPrintable(server.failure()));
        url = server.url();
    } else {
        const QString auth = failure == QLatin1String("404") ? "none" : failure;
        QVERIFY2(
            server.start({.transport = "tcp", .auth = auth, .user = "viewer", .password = "right"}),
            qPrintable(server.failure()));
        url = failure == QLatin1String("404") ? server.url({}, {}, "/nothing")
                                              : server.url("viewer", "wrong:pass");
    }

    RtspBridge bridge(url, 1s);
    bridge.start();
    const ReadOutcome outcome = readFrom(bridge, 1, 10s);
    QVERIFY2(outcome.finished, "read() still blocked long after the timeout");
    QCOMPARE(outcome.last, -1);
    QVERIFY(outcome.bytes.isEmpty());
    const std::optional<QString> error = bridge.error();
    QVERIFY(error);
    QVERIFY2(error->contains(expected), qPrintable(*error));
    QVERIFY(!error->contains(QLatin1String("wrong:pass")));
}

void TestRtspBridge::abortReleasesBlockedRead()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    auto bridge = std::make_unique<RtspBridge>(
        QUrl(QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent.serverPort())), 60s);
    bridge->start();

    std::atomic<bool> returned = false;
    std::atomic<int64_t> result = 0;
    std::thread reader([&] {
        uint8_t chunk[1024];
        result = bridge->read(chunk, sizeof chunk);
        returned = true;
    });
    QTest::qWait(200);
    QVERIFY2(!returned, "read() returned although the server never answered");
    bridge->abort();
    QTRY_VERIFY_WITH_TIMEOUT(returned, 1000);
    reader.join();
    QCOMPARE(result.load(), -1);
    // An abort is the caller's choice, not a failure of the stream.
    QVERIFY(!bridge->error());

    // The worker is still waiting on the server: destroying the bridge must not wait
    // for the 60 s timeout.
    auto destroyed = std::async(std::launch::async, [&] { bridge.reset(); });
    QVERIFY(destroyed.wait_for(5s) == std::future_status::ready);
}

void TestRtspBridge::serverLostMidStream_data()
{
    QTest::addColumn<QString>("transport");
    QTest::addColumn<bool>("freeze");
    QTest::newRow("TCP, killed: the connection closes") << "tcp" << false;
    QTest::newRow("UDP, killed: the packets stop") << "udp" << false;
    QTest::newRow("TCP, hung: the connection stays open, silent") << "tcp" << true;
}

void TestRtspBridge::serverLostMidStream()
{
    QFETCH(QString, transport);
    QFETCH(bool, freeze);

    RtspTestServer server;
    QVERIFY2(server.start({.transport = transport}), qPrintable(server.failure()));
    RtspBridge bridge(server.url(), 2s);
    bridge.start();
    QVERIFY(readFrom(bridge, 32 * 1024, 20s).last > 0);

    if (freeze)
        server.freeze();
    else
        server.kill();
    const ReadOutcome rest = readFrom(bridge, std::numeric_limits<qsizetype>::max(), 15s);
    QVERIFY2(rest.finished, "read() never noticed the server was gone");
    QCOMPARE(rest.last, -1);
    const std::optional<QString> error = bridge.error();
    QVERIFY(error);
    QVERIFY2(error->contains(QLatin1String("broke off")), qPrintable(*error));
}

void TestRtspBridge::endsOnlyNearTheAnnouncedLength_data()
{
    QTest::addColumn<qint64>("durationMs");
    QTest::addColumn<qint64>("playedMs");
    QTest::addColumn<bool>("ended");
    QTest::newRow("live: no length") << qint64(0) << qint64(60000) << false;
    QTest::newRow("played to the length") << qint64(60000) << qint64(60100) << true;
    QTest::newRow("within 2 s of it") << qint64(60000) << qint64(58500) << true;
    QTest::newRow("broke off 3 s short") << qint64(60000) << qint64(57000) << false;
    QTest::newRow("broke off at 15.5 s") << qint64(60000) << qint64(15500) << false;
}

void TestRtspBridge::endsOnlyNearTheAnnouncedLength()
{
    QFETCH(qint64, durationMs);
    QFETCH(qint64, playedMs);
    QFETCH(bool, ended);
    QCOMPARE(RtspBridge::reachedAnnouncedEnd(durationMs * 1000, playedMs * 1000), ended);
    if (durationMs == 0)
        QVERIFY(!RtspBridge::reachedAnnouncedEnd(AV_NOPTS_VALUE, playedMs * 1000));
}

void TestRtspBridge::startsAgainAfterReset()
{
    RtspTestServer server;
    QVERIFY2(server.start({.transport = "tcp"}), qPrintable(server.failure()));
    RtspBridge bridge(server.url(), 5s);
    bridge.start();
    QVERIFY(readFrom(bridge, 32 * 1024, 20s).last > 0);

    // What a player does to stop: abort, then libVLC closes.
    bridge.abort();
    bridge.close();
    bridge.start();
    QCOMPARE(readFrom(bridge, 1, 5s).last, -1);

    // And to play again.
    bridge.reset();
    bridge.start();
    const ReadOutcome again = readFrom(bridge, 64 * 1024, 20s);
    QVERIFY2(again.last > 0, qPrintable(bridge.error().value_or("no error")));
    const TsSummary ts = probeTs(again.bytes);
    QCOMPARE(ts.videoCodec, QByteArray("h264"));
    QVERIFY(ts.firstVideoIsKey);
}

QTEST_GUILESS_MAIN(TestRtspBridge)
#include "tst_rtspbridge.moc"
