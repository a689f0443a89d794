#include "layoutnode.h"
#include "layoutsearch.h"
#include "leafdrop.h"
#include "leafnode.h"
#include "placement.h"
#include "recordingsink.h"
#include "remainingviewscontainer.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace marquetrix::layout;

namespace {

VideoInput video(std::int64_t width, std::int64_t height, std::string title = {})
{
    return {false, 0.0f, width, height, std::move(title)};
}

std::vector<TilePlacement> place(const std::vector<VideoInput> &videos, float width = 1600,
                                 float height = 1000, RecordingSink *sink = nullptr)
{
    RecordingSink own;
    RecordingSink &log = sink ? *sink : own;
    LayoutCache cache;
    SearchInput input{videos, width, height, LayoutAlgorithm::Balanced};
    return placeTiles(findLayout(input, cache, log), videos, width, height, log);
}

bool near(float a, float b)
{
    return std::fabs(a - b) < 0.01f;
}

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void fitLayoutSize_data()
    {
        QTest::addColumn<float>("layoutRatio");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        // Area 1600 x 1000, ratio 1.6.
        QTest::newRow("wider layout takes the width") << 16.f / 9 << 1600.f << 900.f;
        QTest::newRow("narrower layout takes the height") << 1.0f << 1000.f << 1000.f;
        QTest::newRow("same ratio takes the width") << 1.6f << 1600.f << 1000.f;
    }

    void fitLayoutSize()
    {
        QFETCH(float, layoutRatio);
        QFETCH(float, width);
        QFETCH(float, height);
        const BoxSize box = marquetrix::layout::fitLayoutSize(1.6f, layoutRatio, 1600, 1000);
        QVERIFY(near(box.width, width));
        QVERIFY(near(box.height, height));
    }

    void singleVideoFillsTheWidthCentred()
    {
        const auto tiles = place({video(1920, 1080)});
        QCOMPARE(tiles.size(), 1u);
        QCOMPARE(tiles[0].video, std::optional<std::size_t>(0));
        QVERIFY(near(tiles[0].width, 1600) && near(tiles[0].height, 900));
        QVERIFY(near(tiles[0].x, 0) && near(tiles[0].y, 50));
    }

    void fourWideVideosInAGrid()
    {
        const auto tiles = place({video(16, 9), video(16, 9), video(16, 9), video(16, 9)});
        QCOMPARE(tiles.size(), 4u);
        const float xs[] = {0, 800, 0, 800};
        const float ys[] = {50, 50, 500, 500};
        for (std::size_t k = 0; k < 4; ++k) {
            QCOMPARE(tiles[k].video, std::optional<std::size_t>(k));
            QVERIFY(near(tiles[k].width, 800) && near(tiles[k].height, 450));
            QVERIFY2(
                near(tiles[k].x, xs[k]) && near(tiles[k].y, ys[k]),
                qPrintable(QString("tile %1 at %2,%3").arg(k).arg(tiles[k].x).arg(tiles[k].y)));
        }
    }

    // The first video in the list fills the upper tile; leaves take videos depth first.
    void stackedInListOrder()
    {
        const auto tiles = place({video(1920, 1080, "A"), video(1280, 720, "B")});
        QCOMPARE(tiles.size(), 2u);
        QCOMPARE(tiles[0].video, std::optional<std::size_t>(0));
        QCOMPARE(tiles[1].video, std::optional<std::size_t>(1));
        QVERIFY(tiles[0].y < tiles[1].y);
        QVERIFY(near(tiles[0].x, tiles[1].x));
    }

    // Tiles of a distributed tree fill the fitted box exactly: no overlap, no gap.
    void tilesFillTheBox()
    {
        const std::vector<VideoInput> videos{video(16, 9), video(4, 3), video(9, 16),
                                             video(239, 100), video(1, 1)};
        const auto tiles = place(videos, 1920, 1080);
        QCOMPARE(tiles.size(), videos.size());
        float area = 0;
        float left = 1e9f, top = 1e9f, right = 0, bottom = 0;
        for (const TilePlacement &tile : tiles) {
            QVERIFY(tile.video);
            area += tile.width * tile.height;
            left = std::min(left, tile.x);
            top = std::min(top, tile.y);
            right = std::max(right, tile.x + tile.width);
            bottom = std::max(bottom, tile.y + tile.height);
        }
        QVERIFY(std::fabs(area - (right - left) * (bottom - top)) < 1.0f);
        QVERIFY(near(left, 1920 - right) || near(top, 1080 - bottom)); // centred
        for (std::size_t a = 0; a < tiles.size(); ++a) {
            for (std::size_t b = a + 1; b < tiles.size(); ++b) {
                const float overlapW =
                    std::min(tiles[a].x + tiles[a].width, tiles[b].x + tiles[b].width) -
                    std::max(tiles[a].x, tiles[b].x);
                const float overlapH =
                    std::min(tiles[a].y + tiles[a].height, tiles[b].y + tiles[b].height) -
                    std::max(tiles[a].y, tiles[b].y);
                QVERIFY(overlapW < 0.01f || overlapH < 0.01f);
            }
        }
    }

    // A forced ratio decides the leaf; videos of near ratios fill each other's leaves in
    // list order; closed videos are passed over and logged.
    void takeView()
    {
        std::vector<VideoInput> videos{video(4, 3, "closed"), video(1920, 1080, "forced"),
                                       video(1800, 1000, "near"), video(1920, 1080, "wide")};
        videos[0].isClosed = true;
        videos[1].overriddenAR = 0.5625f;
        RecordingSink log;
        RemainingViewsContainer remaining(videos);
        QCOMPARE(remaining.takeView(1.77778f, log), std::optional<std::size_t>(2));
        QCOMPARE(log.lines, QStringList{"debug: Skipping view closed"});
        QCOMPARE(remaining.takeView(0.5625f, log), std::optional<std::size_t>(1));
        QCOMPARE(remaining.takeView(1.77778f, log), std::optional<std::size_t>(3));
        QCOMPARE(remaining.takeView(1.77778f, log), std::nullopt);
    }

    // Every open video gets a tile, also one whose ratio lies far from its snapped value
    // (2.41 snaps to 2.35), one with no usable ratio, and one whose near leaf was taken.
    void everyOpenVideoIsShown_data()
    {
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::newRow("2.41 wide") << QList<QSize>{{241, 100}, {16, 9}};
        QTest::newRow("two at 2.41") << QList<QSize>{{241, 100}, {241, 100}, {4, 3}};
        QTest::newRow("no height") << QList<QSize>{{0, 0}, {16, 9}};
        QTest::newRow("near ratio takes another's leaf") << QList<QSize>{{136, 100}, {140, 100}};
    }

    void everyOpenVideoIsShown()
    {
        QFETCH(QList<QSize>, sizes);
        std::vector<VideoInput> videos;
        for (const QSize &size : sizes)
            videos.push_back(video(size.width(), size.height()));
        RecordingSink log;
        const auto tiles = place(videos, 1600, 1000, &log);
        QCOMPARE(tiles.size(), videos.size());
        std::vector<bool> shown(videos.size());
        for (const TilePlacement &tile : tiles) {
            QVERIFY(tile.video);
            QVERIFY(tile.width > 1 && tile.height > 1);
            shown[*tile.video] = true;
        }
        QVERIFY(std::all_of(shown.begin(), shown.end(), [](bool s) { return s; }));
        QVERIFY(!log.lines.join('\n').contains("Failed to find view"));
    }

    // A leaf with no video left is logged and takes no room.
    void leafWithoutVideo()
    {
        const auto tree = std::make_shared<LayoutNode>(std::make_shared<LeafNode>(1.77778f),
                                                       std::make_shared<LeafNode>(1.77778f),
                                                       LayoutDirection::Horizontal);
        tree->distributeSize(1.0f);
        RecordingSink log;
        const auto tiles = placeTiles(tree, {video(16, 9)}, 1600, 1000, log);
        QCOMPARE(tiles.size(), 2u);
        QVERIFY(tiles[0].video && !tiles[1].video);
        QCOMPARE(tiles[1].width, 0.0f);
        QVERIFY(log.lines.contains("error: Failed to find view with aspect ratio 1.777780"));
    }

    void leafDrop_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("outcome");
        const QString a = "AAAAAAAA-0000-0000-0000-000000000001"; // 16:9
        const QString b = "BBBBBBBB-0000-0000-0000-000000000002"; // 16:9
        const QString c = "CCCCCCCC-0000-0000-0000-000000000003"; // 4:3
        const QString d = "DDDDDDDD-0000-0000-0000-000000000004"; // 1.8: within 0.05 of 16:9
        QTest::newRow("equal ratios swap") << b << a << int(SwapDecision::Outcome::Swap);
        QTest::newRow("near ratios swap") << d << a << int(SwapDecision::Outcome::Swap);
        QTest::newRow("different ratios") << a << c << int(SwapDecision::Outcome::RatiosDiffer);
        QTest::newRow("onto itself") << a << a << int(SwapDecision::Outcome::Refused);
        QTest::newRow("foreign text") << "hello" << a << int(SwapDecision::Outcome::Refused);
        QTest::newRow("lower-case id") << b.toLower() << a << int(SwapDecision::Outcome::Refused);
    }

    void leafDrop()
    {
        QFETCH(QString, payload);
        QFETCH(QString, target);
        QFETCH(int, outcome);
        // The crop of the first video does not count: the picture sizes are compared.
        const std::vector<LeafDropVideo> videos{
            {"AAAAAAAA-0000-0000-0000-000000000001", 1920, 1080},
            {"BBBBBBBB-0000-0000-0000-000000000002", 1280, 720},
            {"CCCCCCCC-0000-0000-0000-000000000003", 640, 480},
            {"DDDDDDDD-0000-0000-0000-000000000004", 180, 100}};
        const SwapDecision decision =
            decideLeafDrop(videos, payload.toStdString(), target.toStdString());
        QCOMPARE(int(decision.outcome), outcome);
        if (decision.outcome == SwapDecision::Outcome::Swap) {
            QCOMPARE(videos[decision.source].id, payload.toStdString());
            QCOMPARE(videos[decision.target].id, target.toStdString());
        }
    }
};

QTEST_APPLESS_MAIN(TestPlacement)
#include "tst_placement.moc"
