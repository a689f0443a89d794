#include "rtsptimeline.h"

#include <QTest>

using namespace marquetrix;

namespace {

constexpr int64_t frame = RtspTimeline::ticksPerSecond / 25;
constexpr int64_t lead = RtspTimeline::ticksPerSecond / 5;

struct Input
{
    std::optional<int64_t> pts;
    int64_t arrival;
};

std::vector<RtspTimeline::Stamp> pushAll(RtspTimeline &timeline, int stream,
                                         const std::vector<Input> &inputs)
{
    std::vector<RtspTimeline::Stamp> out;
    for (const Input &input : inputs) {
        const auto ready = timeline.push(stream, input.pts, input.arrival);
        out.insert(out.end(), ready.begin(), ready.end());
    }
    return out;
}

bool decodable(const std::vector<RtspTimeline::Stamp> &stamps)
{
    for (size_t i = 0; i < stamps.size(); ++i) {
        if (stamps[i].pts < stamps[i].dts || stamps[i].dts < 0)
            return false;
        if (i > 0 && stamps[i].dts <= stamps[i - 1].dts)
            return false;
    }
    return true;
}

} // namespace

class TestRtspTimeline : public QObject
{
    Q_OBJECT

private slots:
    void placesUntimedKeyframe_data();
    void placesUntimedKeyframe();
    void keepsSpacingOfTimestamps();
    void anchorsStreamsToArrival();
    void anchorsAgainAfterJump();
    void anchorsAgainWhileHolding();
    void releasesUntimedStreamAfterBound();
};

void TestRtspTimeline::placesUntimedKeyframe_data()
{
    // Decoding order of the packets after the keyframe, as display positions in frames
    // after the keyframe; the keyframe itself always comes without a timestamp.
    QTest::addColumn<QList<int>>("order");
    QTest::newRow("no B-frames") << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("three B-frames") << QList<int>{4, 1, 2, 3, 8, 5, 6, 7};
    QTest::newRow("B-pyramid") << QList<int>{4, 2, 1, 3, 8, 6, 5, 7};
}

void TestRtspTimeline::placesUntimedKeyframe()
{
    QFETCH(QList<int>, order);
    RtspTimeline timeline;
    const int video = timeline.addStream(lead);
    const int64_t base = 5'000'000;
    std::vector<Input> inputs{{std::nullopt, 0}};
    for (qsizetype i = 0; i < order.size(); ++i)
        inputs.push_back({base + order[i] * frame, (i + 1) * frame});
    const auto stamps = pushAll(timeline, video, inputs);

    QCOMPARE(stamps.size(), inputs.size());
    QVERIFY(decodable(stamps));
    // The keyframe is shown first, one frame before the earliest timestamped picture,
    // and every picture keeps its distance from the keyframe.
    for (qsizetype i = 0; i < order.size(); ++i)
        QCOMPARE(stamps[static_cast<size_t>(i + 1)].pts - stamps[0].pts, order[i] * frame);
}

void TestRtspTimeline::keepsSpacingOfTimestamps()
{
    RtspTimeline timeline;
    const int audio = timeline.addStream(0);
    // Jittery arrival must not disturb the stream's own spacing.
    const auto stamps = pushAll(
        timeline, audio, {{1000, 0}, {1000 + 1920, 900}, {1000 + 3840, 5000}, {1000 + 5760, 5100}});
    QVERIFY(decodable(stamps));
    for (size_t i = 0; i < stamps.size(); ++i) {
        QCOMPARE(stamps[i].pts - stamps[0].pts, static_cast<int64_t>(i) * 1920);
        QCOMPARE(stamps[i].dts, stamps[i].pts);
    }
}

void TestRtspTimeline::anchorsStreamsToArrival()
{
    RtspTimeline timeline;
    const int video = timeline.addStream(lead);
    const int audio = timeline.addStream(0);
    // The two timelines are hours apart; the packets arrive together.
    const auto v = timeline.push(video, 900'000'000, 0);
    const auto a = timeline.push(audio, 42, 10);
    const auto v2 = timeline.push(video, 900'000'000 + frame, frame);
    const auto a2 = timeline.push(audio, 42 + frame, frame + 10);
    QCOMPARE(a.front().pts - v.front().pts, 10);
    QCOMPARE(a2.front().pts - v2.front().pts, 10);
}

void TestRtspTimeline::anchorsAgainAfterJump()
{
    RtspTimeline timeline;
    const int video = timeline.addStream(0);
    auto stamps = pushAll(timeline, video, {{0, 0}, {frame, frame}, {2 * frame, 2 * frame}});
    // The sender report arrives and the timeline jumps by an hour.
    const int64_t jump = 3600 * RtspTimeline::ticksPerSecond;
    const auto later =
        pushAll(timeline, video, {{jump + 3 * frame, 3 * frame}, {jump + 4 * frame, 4 * frame}});
    stamps.insert(stamps.end(), later.begin(), later.end());
    QVERIFY(decodable(stamps));
    for (size_t i = 1; i < stamps.size(); ++i)
        QCOMPARE(stamps[i].pts - stamps[i - 1].pts, frame);
}

void TestRtspTimeline::anchorsAgainWhileHolding()
{
    RtspTimeline timeline;
    const int video = timeline.addStream(0);
    // The keyframe comes untimed, and the sender report arrives right after the first
    // timestamp: the timeline moves back by ten seconds while packets are held.
    const int64_t early = 10 * RtspTimeline::ticksPerSecond;
    const auto stamps = pushAll(timeline, video,
                                {{std::nullopt, 0},
                                 {early + frame, frame},
                                 {2 * frame, 2 * frame},
                                 {3 * frame, 3 * frame},
                                 {4 * frame, 4 * frame}});
    QCOMPARE(stamps.size(), size_t(5));
    QVERIFY(decodable(stamps));
    for (size_t i = 1; i < stamps.size(); ++i)
        QCOMPARE(stamps[i].pts - stamps[i - 1].pts, frame);
}

void TestRtspTimeline::releasesUntimedStreamAfterBound()
{
    RtspTimeline timeline;
    const int video = timeline.addStream(lead);
    size_t released = 0;
    for (size_t i = 0; i < RtspTimeline::maxHeld; ++i)
        released += timeline.push(video, std::nullopt, static_cast<int64_t>(i) * frame).size();
    QCOMPARE(released, RtspTimeline::maxHeld);
    QCOMPARE(timeline.push(video, std::nullopt, 100 * frame).size(), size_t(1));
}

QTEST_GUILESS_MAIN(TestRtspTimeline)
#include "tst_rtsptimeline.moc"
