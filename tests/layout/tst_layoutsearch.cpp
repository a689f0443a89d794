#include "errornode.h"
#include "layoutnode.h"
#include "layoutsearch.h"
#include "leafnode.h"
#include "placement.h"
#include "ratiorules.h"
#include "recordingsink.h"

#include <QTest>
#include <cmath>
#include <limits>
#include <set>

using namespace marquetrix::layout;

namespace {

VideoInput sized(std::int64_t width, std::int64_t height)
{
    return {false, 0.0f, width, height, {}};
}

VideoInput forced(float ratio)
{
    return {false, ratio, 1920, 1080, {}};
}

VideoInput closed(VideoInput video)
{
    video.isClosed = true;
    return video;
}

SearchInput area(std::vector<VideoInput> videos, float width = 1600, float height = 1000,
                 LayoutAlgorithm algorithm = LayoutAlgorithm::Balanced)
{
    return {std::move(videos), width, height, algorithm};
}

QString describe(const NodePtr &node)
{
    return QString::fromStdString(node->description());
}

} // namespace

class TestLayoutSearch : public QObject
{
    Q_OBJECT

private slots:
    void snapping_data()
    {
        QTest::addColumn<float>("ratio");
        QTest::addColumn<float>("snapped");
        QTest::newRow("exact 16:9") << 16.f / 9 << 1.77778f;
        QTest::newRow("near 16:9") << 1.8f << 1.77778f;
        QTest::newRow("16:10 stays") << 1.6f << 1.6f;
        QTest::newRow("1.35 is 4:3") << 1.35f << 1.33333f;
        QTest::newRow("portrait") << 9.f / 16 << 0.5625f;
        QTest::newRow("2.39 scope") << 2.39f << 2.35f;
        QTest::newRow("2.33 scope") << 2.33f << 2.35f;
        QTest::newRow("2.42 too wide") << 2.42f << 2.42f;
        QTest::newRow("square stays") << 1.0f << 1.0f;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 1.77778f;
        // A missing dimension gives no usable shape either.
        QTest::newRow("zero width") << 0.0f << 1.77778f;
        QTest::newRow("zero height") << std::numeric_limits<float>::infinity() << 1.77778f;
        QTest::newRow("negative") << -1.5f << 1.77778f;
    }

    void snapping()
    {
        QFETCH(float, ratio);
        QFETCH(float, snapped);
        QCOMPARE(snapAspectRatio(ratio), snapped);
    }

    void effectiveRatios()
    {
        const SearchInput input = area({forced(0.5625f), sized(1350, 1000), sized(0, 0),
                                        closed(sized(4, 3)), sized(1920, 1080)});
        QCOMPARE(snappedAspectRatios(input),
                 (std::vector<float>{0.5625f, 1.33333f, 1.77778f, 1.77778f}));
    }

    void objectiveFromSetting_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("objective");
        QTest::newRow("0") << 0 << int(LayoutAlgorithm::ScreenUsage);
        QTest::newRow("1") << 1 << int(LayoutAlgorithm::Balanced);
        QTest::newRow("2") << 2 << int(LayoutAlgorithm::VideoSizes);
        QTest::newRow("7") << 7 << int(LayoutAlgorithm::Balanced);
        QTest::newRow("-1") << -1 << int(LayoutAlgorithm::Balanced);
    }

    void objectiveFromSetting()
    {
        QFETCH(int, stored);
        QFETCH(int, objective);
        QCOMPARE(int(layoutAlgorithmFromStored(stored)), objective);
    }

    void configurationsCompareExactly()
    {
        const ViewConfiguration a{1600, 1000, {1.77778f, 1.33333f}, LayoutAlgorithm::Balanced};
        ViewConfiguration b = a;
        QVERIFY(a == b);
        b.aspectRatios = {1.33333f, 1.77778f};
        QVERIFY(!(a == b));
        b = a;
        b.viewWidth = 1600.25f;
        QVERIFY(!(a == b));
        b = a;
        b.layoutAlgorithm = LayoutAlgorithm::VideoSizes;
        QVERIFY(!(a == b));
    }

    void singleVideo()
    {
        LayoutCache cache;
        RecordingSink log;
        const NodePtr tree = findLayout(area({sized(1920, 1080)}), cache, log);
        QCOMPARE(describe(tree), QString("Leaf: (1.77778)"));
        QCOMPARE(tree->getSizes(), std::vector<float>{1.0f});
        QVERIFY(!cache.lastLayout);
        QCOMPARE(log.lines,
                 (QStringList{"info: Target aspect ratio: 1.600000 (1600.000000x1000.000000)",
                              "info: Layout: p=1, l=1"}));
    }

    void twoWideVideosStack()
    {
        LayoutCache cache;
        RecordingSink log;
        const NodePtr tree = findLayout(area({sized(1920, 1080), sized(1280, 720)}), cache, log);
        QCOMPARE(describe(tree), QString("V First: (Leaf: (1.77778)), Second: (Leaf: (1.77778)), "
                                         "AR: 0.88889"));
        QCOMPARE(tree->getSizes(), (std::vector<float>{0.5f, 0.5f}));
        QVERIFY(log.lines.contains("info: Layout: p=1, l=1"));
    }

    // Two orderings each give a side-by-side candidate; the earlier one wins every tie.
    void wideAndStandard_data()
    {
        QTest::addColumn<int>("objective");
        QTest::addColumn<bool>("cached");
        QTest::newRow("screen") << int(LayoutAlgorithm::ScreenUsage) << false;
        QTest::newRow("balanced") << int(LayoutAlgorithm::Balanced) << true;
        QTest::newRow("sizes") << int(LayoutAlgorithm::VideoSizes) << true;
    }

    void wideAndStandard()
    {
        QFETCH(int, objective);
        QFETCH(bool, cached);
        LayoutCache cache;
        RecordingSink log;
        const SearchInput input =
            area({sized(1920, 1080), sized(640, 480)}, 1600, 1000, LayoutAlgorithm(objective));
        const NodePtr tree = findLayout(input, cache, log);
        QCOMPARE(describe(tree), QString("H First: (Leaf: (1.77778)), Second: (Leaf: (1.33333)), "
                                         "AR: 3.1111102"));
        const std::vector<float> shares = tree->getSizes();
        QVERIFY(std::fabs(shares[0] - 0.571f) < 0.001f);
        QVERIFY(std::fabs(shares[1] - 0.429f) < 0.001f);
        QCOMPARE(bool(cache.lastLayout), cached);
        if (cached) {
            QCOMPARE(cache.lastLayout, tree);
            QCOMPARE(cache.viewConfig.aspectRatios, (std::vector<float>{1.77778f, 1.33333f}));
            QCOMPARE(cache.viewConfig.layoutAlgorithm, LayoutAlgorithm(objective));
        }
        QVERIFY(log.lines.contains("info: Layout: p=2, l=2"));
        QVERIFY(log.lines.contains("debug: Have 2 candidates"));
    }

    void fourWideVideosMakeAGrid()
    {
        LayoutCache cache;
        RecordingSink log;
        const NodePtr tree =
            findLayout(area({sized(16, 9), sized(16, 9), sized(16, 9), sized(16, 9)}), cache, log);
        auto *root = dynamic_cast<LayoutNode *>(tree.get());
        QVERIFY(root);
        QCOMPARE(root->direction, LayoutDirection::Vertical);
        for (const NodePtr &half : {root->first, root->second}) {
            auto *pair = dynamic_cast<LayoutNode *>(half.get());
            QVERIFY(pair);
            QCOMPARE(pair->direction, LayoutDirection::Horizontal);
            QVERIFY(pair->first->isLeaf() && pair->second->isLeaf());
        }
        QCOMPARE(tree->getAspectRatio(), 1.77778f);
        QCOMPARE(tree->getSizeRatio(), 1.0f);
    }

    void closedVideosAreIgnored()
    {
        LayoutCache cache;
        RecordingSink log;
        const NodePtr tree =
            findLayout(area({closed(sized(4, 3)), sized(16, 9), closed(sized(9, 16))}), cache, log);
        QCOMPARE(describe(tree), QString("Leaf: (1.77778)"));

        const NodePtr none = findLayout(area({closed(sized(16, 9))}), cache, log);
        QVERIFY(dynamic_cast<ErrorNode *>(none.get()));
        QVERIFY(dynamic_cast<ErrorNode *>(findLayout(area({}), cache, log).get()));
    }

    // A search that compared sizes among several candidates is cached and answered again
    // as the very same tree; any relevant change searches again.
    void cache()
    {
        LayoutCache cache;
        RecordingSink log;
        SearchInput input = area({sized(16, 9), sized(4, 3)});
        const NodePtr first = findLayout(input, cache, log);
        log.lines.clear();
        SearchReport report;
        QCOMPARE(findLayout(input, cache, log, &report), first);
        QVERIFY(report.cached);
        QCOMPARE(log.lines, QStringList{"info: Using cached view"});

        for (auto change : std::vector<std::function<void(SearchInput &)>>{
                 [](SearchInput &in) { in.viewWidth += 0.5f; },
                 [](SearchInput &in) { std::swap(in.videos[0], in.videos[1]); },
                 [](SearchInput &in) { in.layoutAlgorithm = LayoutAlgorithm::VideoSizes; },
                 [](SearchInput &in) { in.videos[1].overriddenAR = 0.5625f; }}) {
            SearchInput changed = input;
            change(changed);
            LayoutCache copy = cache;
            findLayout(changed, copy, log, &report);
            QVERIFY(!report.cached);
        }

        // A width or height that does not change the snapped ratio still counts as the same.
        SearchInput resized = input;
        resized.videos[0] = sized(1920, 1080);
        findLayout(resized, cache, log, &report);
        QVERIFY(report.cached);

        // Never cached: a screen-usage search, a single candidate, a configuration alone.
        LayoutCache screen;
        input.layoutAlgorithm = LayoutAlgorithm::ScreenUsage;
        findLayout(input, screen, log);
        QVERIFY(!screen.lastLayout);
        LayoutCache noTree;
        noTree.viewConfig = {1600, 1000, {1.77778f}, LayoutAlgorithm::Balanced};
        findLayout(area({sized(16, 9)}), noTree, log, &report);
        QVERIFY(!report.cached);
    }

    // Nothing fits a very wide area with few videos well enough: the best-fitting of the
    // per-ordering best trees is taken, and nothing is cached.
    void fallback()
    {
        LayoutCache cache;
        RecordingSink log;
        const NodePtr tree = findLayout(
            area({sized(9, 16), sized(9, 16), sized(9, 16), sized(9, 16), sized(9, 16)}, 5000, 300),
            cache, log);
        QVERIFY(log.lines.contains(
            "info: Found no great solutions. Resorting to non-ideal solutions."));
        QVERIFY(!cache.lastLayout);
        // Five portrait videos side by side is as wide as five leaves get.
        QCOMPARE(tree->getAspectRatio(), 0.5625f * 5);
        float total = 0;
        for (float share : tree->getSizes())
            total += share;
        QVERIFY(std::fabs(total - 1.0f) < 1e-5f);
    }

    // The tolerance runs 1.3, 1.4, ... 2.1 in 32-bit steps: nine passes at most.
    void tolerancePasses()
    {
        float tau = 1.3f;
        int passes = 1;
        while (!(tau > 2.0f)) {
            tau += 0.1f;
            ++passes;
        }
        QCOMPARE(passes, 9);
    }

    // Past the full searches the search still answers, with bounded work, and places every
    // video: the bound is checked before each ordering, and one ordering of up to 64 videos
    // costs far less than a tenth of it. Ratios all different in a very wide area are the
    // worst case: no ordering gives a candidate, so orderings are tried until the bound.
    void manyVideos_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("distinct");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::newRow("17 wide") << 17 << false << 1600.f << 1000.f;
        QTest::newRow("24 wide") << 24 << false << 1920.f << 1080.f;
        QTest::newRow("24 distinct, strip") << 24 << true << 5000.f << 300.f;
        QTest::newRow("64 formats, tall") << 64 << false << 400.f << 1600.f;
        QTest::newRow("64 distinct") << 64 << true << 1600.f << 1000.f;
        QTest::newRow("64 distinct, strip") << 64 << true << 5000.f << 300.f;
    }

    void manyVideos()
    {
        QFETCH(int, count);
        QFETCH(bool, distinct);
        QFETCH(float, width);
        QFETCH(float, height);
        static const float formats[] = {16.f / 9, 4.f / 3, 9.f / 16, 2.35f};
        std::vector<VideoInput> videos;
        for (int k = 0; k < count; ++k)
            videos.push_back(forced(distinct ? 0.45f + 0.031f * float(k) : formats[k % 4]));
        LayoutCache cache;
        RecordingSink log;
        SearchReport report;
        const NodePtr tree = findLayout(area(videos, width, height), cache, log, &report);
        QVERIFY(report.bounded);
        QVERIFY2(report.work <= kWorkBound + kWorkBound / 10,
                 qPrintable(QString::number(report.work)));
        QCOMPARE(tree->getSizes().size(), std::size_t(count));
        std::set<std::size_t> placed;
        for (const TilePlacement &tile : placeTiles(tree, videos, width, height, log)) {
            QVERIFY(tile.video);
            placed.insert(*tile.video);
        }
        QCOMPARE(placed.size(), std::size_t(count));
    }

    // Every tree the search returns carries its own shares, also when another tree that
    // shares its leaves was evaluated after it.
    void resultCarriesItsOwnShares()
    {
        LayoutCache cache;
        RecordingSink log;
        const NodePtr tree = findLayout(
            area({sized(16, 9), sized(4, 3), sized(9, 16), sized(235, 100), sized(1, 1)}), cache,
            log);
        const std::vector<float> before = tree->getSizes();
        tree->distributeSize(1.0f);
        QCOMPARE(tree->getSizes(), before);
    }
};

QTEST_APPLESS_MAIN(TestLayoutSearch)
#include "tst_layoutsearch.moc"
