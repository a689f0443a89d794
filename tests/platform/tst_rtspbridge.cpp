// The RTSP bridge against real RTSP servers, and the repair of live timestamps it relies on.

#include "rtspbridge.h"
#include "rtsptestserver.h"
#include "rtsptimeline.h"

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryFile>
#include <QTest>
#include <future>
#include <mutex>

using namespace marquetrix;
using namespace std::chrono_literals;
using marquetrix::test::RtspTestServer;

namespace {

constexpr int64_t frame = RtspTimeline::ticksPerSecond / 25;

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
        uint8_t chunk[16 * 1024];
        while (outcome.bytes.size() < wanted &&
               (outcome.last = bridge.read(chunk, sizeof chunk)) > 0)
            outcome.bytes.append(reinterpret_cast<const char *>(chunk), outcome.last);
        return outcome;
    });
    const bool finished = future.wait_for(limit) == std::future_status::ready;
    if (!finished)
        bridge.abort();
    ReadOutcome outcome = future.get();
    outcome.finished = finished;
    return outcome;
}

// What ffprobe finds in an MPEG-TS byte stream: its streams ("video 320 180 h264", "audio
// aac"), "key" after the video when its first packet is a keyframe, and "ordered" when, per
// stream, decoding times strictly increase and never pass presentation times.
QStringList probeTs(const QByteArray &bytes)
{
    QTemporaryFile file;
    QProcess ffprobe;
    if (file.open() && file.write(bytes) == bytes.size() && file.flush())
        ffprobe.start("ffprobe", {"-v", "quiet", "-of", "csv", "-show_entries",
                                  "packet=stream_index,pts,dts,flags:stream=index,codec_name,"
                                  "codec_type,width,height",
                                  file.fileName()});
    ffprobe.waitForFinished(30000);
    QMap<QString, QString> streams;
    QHash<QString, bool> keyFirst;
    QHash<QString, qint64> lastDts;
    bool ordered = true;
    for (const QString &line : QString::fromUtf8(ffprobe.readAllStandardOutput()).split('\n')) {
        const QStringList f = line.split(',');
        if (f[0] == "stream") {
            streams[f[1]] = (f.mid(3) << f[2]).join(' ');
        } else if (f[0] == "packet" && f.size() >= 5) {
            if (!keyFirst.contains(f[1]))
                keyFirst[f[1]] = f[4].startsWith('K');
            ordered &= f[2].toLongLong() >= f[3].toLongLong() &&
                       f[3].toLongLong() > lastDts.value(f[1], -1);
            lastDts[f[1]] = f[3].toLongLong();
        }
    }
    QStringList summary;
    for (auto it = streams.cbegin(); it != streams.cend(); ++it) {
        summary << *it;
        if (it->startsWith("video"))
            summary << (keyFirst.value(it.key()) ? "key" : "not key");
    }
    return summary << (ordered ? "ordered" : "disordered");
}

QStringList capturedLog;
std::mutex capturedLogMutex;

} // namespace

class TestRtspBridge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!RtspTestServer::clip().isEmpty(), "ffmpeg could not generate the test clip");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
            std::lock_guard lock(capturedLogMutex);
            capturedLog.append(message);
        });
    }

    void playsAsTransportStream_data()
    {
        // The server's transport, authentication and content; the password as the URL has it.
        QTest::addColumn<QStringList>("setup");
        // The bridge tries TCP first.
        QTest::newRow("UDP only") << QStringList{"udp", "none", "clip", ""};
        QTest::newRow("basic auth, ':' raw") << QStringList{"tcp", "basic", "clip", "se:cret"};
        QTest::newRow("digest auth, ':' as %3A")
            << QStringList{"tcp", "digest", "clip", "se%3Acret"};
        // With no picture to wait for, the stream starts with the first packet.
        QTest::newRow("audio only") << QStringList{"tcp", "none", "audio", ""};
    }

    void playsAsTransportStream()
    {
        QFETCH(QStringList, setup);
        RtspTestServer server;
        QVERIFY2(server.start({setup[0], setup[1], "viewer", "se:cret", setup[2]}),
                 qPrintable(server.failure()));
        QUrl url = server.url();
        if (setup[1] != "none")
            url.setUserInfo("viewer:" + setup[3]);
        capturedLog.clear();
        RtspBridge bridge(url, 5s);
        bridge.start();
        const bool video = setup[2] == "clip";
        const ReadOutcome outcome = readFrom(bridge, video ? 32 * 1024 : 8 * 1024, 20s);
        QVERIFY2(outcome.finished && outcome.last > 0,
                 qPrintable(bridge.error().value_or("no error")));
        QVERIFY(!bridge.error());
        const QStringList expected =
            video ? QStringList{"video 320 180 h264", "key", "audio aac", "ordered"}
                  : QStringList{"audio aac", "ordered"};
        QCOMPARE(probeTs(outcome.bytes), expected);
        std::lock_guard lock(capturedLogMutex);
        QVERIFY(!capturedLog.isEmpty());
        for (const QString &line : std::as_const(capturedLog))
            QVERIFY2(!line.contains(QLatin1String("cret")), qPrintable(line));
    }

    void failsWithinBound_data()
    {
        // The failure, and what the error says.
        QTest::addColumn<QStringList>("failure");
        QTest::newRow("refused port") << QStringList{"refused", "refused the connection"};
        QTest::newRow("unknown path") << QStringList{"404", "(404)"};
        QTest::newRow("wrong password") << QStringList{"401", "(401)"};
        QTest::newRow("silent server") << QStringList{"silent", "did not answer within 1 s"};
        QTest::newRow("codec the TS cannot carry")
            << QStringList{"mjpeg", "no video or audio that"};
        QTest::newRow("server hangs mid-stream") << QStringList{"hang", "broke off"};
    }

    void failsWithinBound()
    {
        QFETCH(QStringList, failure);
        const QString &kind = failure[0];
        RtspTestServer server;
        // The kernel completes the handshake; nobody ever reads or answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        QUrl url("rtsp://127.0.0.1:9/live");
        if (kind == "silent")
            url.setPort(silent.serverPort());
        else if (kind != "refused")
            QVERIFY2(server.start(
                         {"tcp", "basic", "viewer", "right", kind == "mjpeg" ? "mjpeg" : "clip"}),
                     qPrintable(server.failure()));
        if (server.port())
            url = server.url("viewer", kind == "401" ? "wrong:pass" : "right",
                             kind == "404" ? "/none" : "/live");
        RtspBridge bridge(url, 1s);
        bridge.start();
        if (kind == "hang") {
            QVERIFY(readFrom(bridge, 16 * 1024, 20s).last > 0);
            server.freeze();
        }
        const ReadOutcome outcome = readFrom(bridge, std::numeric_limits<qsizetype>::max(), 10s);
        QVERIFY2(outcome.finished, "read() still blocked long after the timeout");
        QCOMPARE(outcome.last, -1);
        QCOMPARE(outcome.bytes.isEmpty(), kind != "hang");
        const QString error = bridge.error().value_or(QString());
        QVERIFY2(error.contains(failure[1]) && !error.contains("wrong:pass"), qPrintable(error));
    }

    void abortReleasesBlockedReadUntilReset()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        auto bridge = std::make_unique<RtspBridge>(
            QUrl(QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent.serverPort())), 60s);
        bridge->start();
        // The read is still blocked after 200 ms; the abort then releases it.
        const ReadOutcome blocked = readFrom(*bridge, 1, 200ms);
        QVERIFY(!blocked.finished);
        QCOMPARE(blocked.last, -1);
        // An abort is the caller's choice, not a failure of the stream.
        QVERIFY(!bridge->error());
        // What a player does to stop: abort, then libVLC closes and may open again; the
        // session stays closed until the player resets the bridge to play again.
        bridge->close();
        bridge->start();
        QCOMPARE(readFrom(*bridge, 1, 1s).last, -1);
        QTRY_VERIFY(silent.hasPendingConnections());
        delete silent.nextPendingConnection();
        QVERIFY(!silent.hasPendingConnections());
        bridge->reset();
        bridge->start();
        QTRY_VERIFY(silent.hasPendingConnections());
        // The worker is waiting on the server: destroying the bridge must not wait for the
        // 60 s timeout.
        auto destroyed = std::async(std::launch::async, [&] { bridge.reset(); });
        QVERIFY(destroyed.wait_for(5s) == std::future_status::ready);
    }

    void endsOnlyNearTheAnnouncedLength()
    {
        // Announced length and time played, in ms: a live stream has no length and never
        // ends; one that broke off over 2 s short of its length has failed.
        for (const auto &[length, played, ended] :
             {std::tuple(0, 60000, false), std::tuple(-1, 60000, false),
              std::tuple(60000, 60100, true), std::tuple(60000, 58000, true),
              std::tuple(60000, 57900, false)})
            QVERIFY2(RtspBridge::reachedAnnouncedEnd(length * 1000ll, played * 1000ll) == ended,
                     qPrintable(QStringLiteral("%1 of %2").arg(played).arg(length)));
    }

    void timelineRepairsStamps_data()
    {
        // One stream's packets in arrival order, a frame apart: their timestamps in frames (-1:
        // none), and where they must be shown, in frames after the first packet.
        QTest::addColumn<bool>("reordered");
        QTest::addColumn<QList<int>>("pts");
        QTest::addColumn<QList<int>>("shown");
        // The keyframe comes without a timestamp and is placed one frame before the earliest
        // timestamped picture; every picture keeps its distance from it.
        QTest::newRow("no B-frames")
            << true << QList{-1, 101, 102, 103, 104} << QList{0, 1, 2, 3, 4};
        QTest::newRow("three B-frames") << true << QList{-1, 104, 101, 102, 103, 108, 105, 106, 107}
                                        << QList{0, 4, 1, 2, 3, 8, 5, 6, 7};
        QTest::newRow("B-pyramid") << true << QList{-1, 104, 102, 101, 103, 108, 106, 105, 107}
                                   << QList{0, 4, 2, 1, 3, 8, 6, 5, 7};
        // The sender report arrives and the timeline jumps by an hour, or moves back by ten
        // seconds while packets are held.
        QTest::newRow("jump") << false << QList{0, 1, 2, 90003, 90004} << QList{0, 1, 2, 3, 4};
        QTest::newRow("jump while holding")
            << false << QList{-1, 251, 2, 3, 4} << QList{0, 1, 2, 3, 4};
    }

    void timelineRepairsStamps()
    {
        QFETCH(bool, reordered);
        QFETCH(QList<int>, pts);
        QFETCH(QList<int>, shown);
        RtspTimeline timeline;
        const int video = timeline.addStream(reordered ? RtspTimeline::ticksPerSecond / 5 : 0);
        std::vector<RtspTimeline::Stamp> stamps;
        for (qsizetype i = 0; i < pts.size(); ++i) {
            const auto ready = timeline.push(
                video, pts[i] < 0 ? std::nullopt : std::optional(pts[i] * frame), i * frame);
            stamps.insert(stamps.end(), ready.begin(), ready.end());
        }
        QCOMPARE(qsizetype(stamps.size()), shown.size());
        for (size_t i = 0; i < stamps.size(); ++i) {
            QCOMPARE(stamps[i].pts - stamps[0].pts, shown[qsizetype(i)] * frame);
            QVERIFY(stamps[i].dts >= 0 && stamps[i].dts <= stamps[i].pts);
            QVERIFY(i == 0 || stamps[i].dts > stamps[i - 1].dts);
        }
    }

    void timelineAnchorsStreamsToArrival()
    {
        RtspTimeline timeline;
        const int video = timeline.addStream(0);
        const int audio = timeline.addStream(0);
        // The two timelines are hours apart; the packets arrive together, with jitter that
        // must not disturb a stream's own spacing.
        const auto v = timeline.push(video, 900'000'000, 0);
        const auto a = timeline.push(audio, 42, 10);
        const auto a2 = timeline.push(audio, 42 + 1920, 5000);
        QCOMPARE(a.front().pts - v.front().pts, 10);
        QCOMPARE(a2.front().pts - a.front().pts, 1920);
        // Packets that never get a timestamp are released after a bound, not held for ever.
        const int untimed = timeline.addStream(0);
        size_t released = 0;
        for (size_t i = 0; i <= RtspTimeline::maxHeld; ++i)
            released += timeline.push(untimed, std::nullopt, int64_t(i) * frame).size();
        QCOMPARE(released, RtspTimeline::maxHeld + 1);
    }
};

QTEST_GUILESS_MAIN(TestRtspBridge)
#include "tst_rtspbridge.moc"
