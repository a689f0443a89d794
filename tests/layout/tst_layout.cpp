#include "buildtrees.h"
#include "errornode.h"
#include "layoutcommand.h"
#include "layoutnode.h"
#include "layoutsearch.h"
#include "leafnode.h"
#include "literalsearch.h"
#include "placement.h"
#include "ratiorules.h"
#include "uniquepermutationssequence.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <random>
#include <set>

using namespace marquetrix::layout;

namespace {

struct Sink final : LogSink
{
    void log(LogLevel level, const std::string &message) override
    {
        lines << QString::number(int(level)) + ": " + QString::fromStdString(message);
    }
    QStringList lines;
};

// Elapsed times differ from run to run; everything else must match.
QString withoutTimes(QString text)
{
    static const QRegularExpression times("\"micros\":[0-9]+|[0-9]+ µs| in [0-9.]+ s\\.");
    return text.replace(times, "<time>");
}

SearchInput randomInput(std::mt19937 &random, int maxVideos)
{
    static const float snapped[] = {16.f / 9, 4.f / 3, 9.f / 16, 2.39f};
    static const std::pair<float, float> areas[] = {{1600, 1000}, {3000, 400},  {400, 1600},
                                                    {5000, 300},  {1920, 1080}, {800, 800}};
    const auto real = [&](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto pick = [&](int n) { return int(real(0, float(n))) % n; };
    SearchInput input;
    // Mostly common formats, so that many orderings coincide; some free ratios, some sizes.
    for (int k = 1 + pick(maxVideos); k > 0; --k) {
        VideoInput video{pick(10) == 0, 0.0f, 16, 9, {}};
        const int kind = pick(10);
        if (kind < 6)
            video.overriddenAR = snapped[pick(4)];
        else if (kind < 8)
            video.overriddenAR = real(0.3f, 3.0f);
        else
            video = {video.isClosed, 0.0f, 100 + pick(3900), 100 + pick(3900), {}};
        input.videos.push_back(video);
    }
    std::tie(input.viewWidth, input.viewHeight) =
        pick(10) < 7 ? areas[pick(6)] : std::pair{real(200, 6000), real(200, 3000)};
    input.layoutAlgorithm = LayoutAlgorithm(pick(3));
    return input;
}

// Every open video gets one tile, inside the view.
bool tilesFit(const NodePtr &tree, const SearchInput &in)
{
    Sink log;
    std::set<std::size_t> shown;
    const float e = 1e-3f * (in.viewWidth + in.viewHeight);
    for (const TilePlacement &a : placeTiles(tree, in.videos, in.viewWidth, in.viewHeight, log)) {
        if (!a.video || in.videos[*a.video].isClosed || !shown.insert(*a.video).second ||
            a.x < -e || a.y < -e || a.x + a.width > in.viewWidth + e ||
            a.y + a.height > in.viewHeight + e)
            return false;
    }
    return shown.size() == std::size_t(std::count_if(in.videos.begin(), in.videos.end(),
                                                     [](auto &video) { return !video.isClosed; }));
}

// The fast search chooses the same tree, with the same shares, logs and cache writes, as
// the search that builds every tree; then again on the same caches for an input that
// differs in one respect (or none), so that cache answers are compared too.
void compareSearches(std::mt19937 &random, const SearchInput &input, const QByteArray &label)
{
    const std::function<void(SearchInput &)> changes[] = {
        [](SearchInput &) {},
        [](SearchInput &in) { in.viewWidth += 0.5f; },
        [](SearchInput &in) { std::reverse(in.videos.begin(), in.videos.end()); },
        [](SearchInput &in) {
            in.layoutAlgorithm = LayoutAlgorithm((int(in.layoutAlgorithm) + 1) % 3);
        },
        [](SearchInput &in) { in.videos[0].overriddenAR = 0.5625f; },
        [](SearchInput &in) { in.videos[0].width += 1; }};
    SearchInput next = input;
    changes[std::uniform_int_distribution<int>(0, 5)(random)](next);
    LayoutCache fastCache, literalCache;
    for (const SearchInput &in : {input, next}) {
        Sink fastLog, literalLog;
        SearchReport report;
        const NodePtr fast = findLayout(in, fastCache, fastLog, &report);
        const NodePtr literal = testing::findLayoutLiteral(in, literalCache, literalLog);
        QVERIFY2(!report.bounded && fast->description() == literal->description() &&
                     fast->sizes() == literal->sizes() &&
                     fast->sizeRatio() == literal->sizeRatio() &&
                     fastCache.viewConfig == literalCache.viewConfig &&
                     bool(fastCache.lastLayout) == bool(literalCache.lastLayout) &&
                     (fastCache.lastLayout == fast) == (literalCache.lastLayout == literal) &&
                     tilesFit(fast, in),
                 label);
        QCOMPARE(withoutTimes(fastLog.lines.join('\n')), withoutTimes(literalLog.lines.join('\n')));
    }
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    // Random cases; and seven distinct ratios in a very wide area: no candidate anywhere,
    // so every ordering and every tree is tried. Rows keep each under the test watchdog.
    void equivalence_data()
    {
        QTest::addColumn<int>("cases");
        QTest::addColumn<int>("maxVideos");
        QTest::newRow("up to five") << 2000 << 5;
        QTest::newRow("up to seven") << 50 << 7;
        QTest::newRow("worst seven") << 0 << 7;
    }

    void equivalence()
    {
        QFETCH(int, cases);
        QFETCH(int, maxVideos);
        std::mt19937 random(20261206 + maxVideos);
        for (int k = 0; k < cases && !QTest::currentTestFailed(); ++k)
            compareSearches(random, randomInput(random, maxVideos),
                            "case " + QByteArray::number(k));
        SearchInput input{{}, 5000, 300, LayoutAlgorithm::Balanced};
        for (float ratio : {0.5f, 0.7f, 0.9f, 1.1f, 1.5f, 2.0f, 2.8f})
            input.videos.push_back({false, ratio, 16, 9, {}});
        if (cases == 0)
            compareSearches(random, input, "seven distinct ratios");
    }

    // Past the full searches the search answers with bounded work and places every video; the
    // worst case, distinct ratios in a very wide area, tries orderings until the bound.
    void manyVideos()
    {
        static const float formats[] = {16.f / 9, 4.f / 3, 9.f / 16, 2.35f};
        for (const auto &[count, distinct, width, height] :
             std::initializer_list<std::tuple<int, bool, float, float>>{{17, false, 1600, 1000},
                                                                        {24, true, 5000, 300},
                                                                        {64, false, 400, 1600},
                                                                        {64, true, 1600, 1000}}) {
            SearchInput input{{}, width, height, LayoutAlgorithm::Balanced};
            for (int k = 0; k < count; ++k)
                input.videos.push_back(
                    {false, distinct ? 0.45f + 0.031f * k : formats[k % 4], 16, 9, {}});
            LayoutCache cache;
            Sink log;
            SearchReport report;
            const NodePtr tree = findLayout(input, cache, log, &report);
            QVERIFY(report.bounded && report.work <= kWorkBound + kWorkBound / 10 &&
                    tilesFit(tree, input));
        }
    }

    // The pieces both searches share, so that their agreement cannot vouch for them, and
    // what the placement does with a tree that has more leaves than videos.
    void sharedRules()
    {
        const std::pair<float, float> snaps[] = {
            {1.8f, 1.77778f}, {2.33f, 2.35f}, {2.42f, 2.42f}, {NAN, 1.77778f}, {-1.5f, 1.77778f}};
        for (const auto &[ratio, snapped] : snaps)
            QCOMPARE(snapAspectRatio(ratio), snapped);
        QVERIFY(layoutAlgorithmFromStored(2) == LayoutAlgorithm::VideoSizes &&
                layoutAlgorithmFromStored(-1) == LayoutAlgorithm::Balanced &&
                layoutAlgorithmFromStored(7) == LayoutAlgorithm::Balanced);

        for (std::size_t n = 0; n < 8; ++n)
            QCOMPARE(buildTrees(std::vector<NodePtr>(n, std::make_shared<LeafNode>(1.0f))).size(),
                     treeCount(n));
        QVERIFY(treeCount(7) == 1792 && treeCount(200) == UINT64_MAX);
        UniquePermutationsSequence<int> some({1, 2, 1}, 1, 2), none({1}, 2, 2);
        int orderings = 0;
        for (auto it = some.iterator(); it.next();)
            ++orderings;
        QVERIFY(orderings == 5 && !none.iterator().next() &&
                some.elements() == (std::vector{1, 2, 1}));
        const auto error = std::make_shared<ErrorNode>();
        error->distributeSize(1.0f);
        QVERIFY(error->isLeaf() && error->sizes().empty());

        // A leaf with no video left takes no room.
        const auto tree = std::make_shared<LayoutNode>(std::make_shared<LeafNode>(1.77778f),
                                                       std::make_shared<LeafNode>(1.77778f),
                                                       LayoutDirection::Horizontal);
        tree->distributeSize(1.0f);
        Sink log;
        const auto tiles = placeTiles(tree, {{false, 0.0f, 16, 9, {}}}, 1600, 1000, log);
        QVERIFY(tiles.size() == 2 && tiles[0].video && !tiles[1].video && tiles[1].width == 0);
    }

    // Whole scenarios, bad arguments among them, against recorded answers; one argument a
    // line. MARQUETRIX_UPDATE_GOLDEN=1 records anew.
    void golden()
    {
        const QDir dir(qEnvironmentVariable("MARQUETRIX_LAYOUT_GOLDEN"));
        const QStringList names = dir.entryList({"*.args"}, QDir::Files, QDir::Name);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names) {
            QFile args(dir.filePath(name)), expected(dir.filePath(name.chopped(5) + ".out"));
            QVERIFY(args.open(QIODevice::ReadOnly));
            std::vector<std::string> arguments;
            for (const QString &line :
                 QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts))
                arguments.push_back(line.toStdString());
            std::string out, err;
            const int status = runLayoutCommand(arguments, out, err);
            // The exit status, then what the command printed and what it complained of.
            const QString actual =
                withoutTimes(QString::fromStdString(std::to_string(status) + "\n" + out + err));
            if (qEnvironmentVariableIntValue("MARQUETRIX_UPDATE_GOLDEN")) {
                QVERIFY(expected.open(QIODevice::WriteOnly));
                expected.write(actual.toUtf8());
            } else {
                QVERIFY2(expected.open(QIODevice::ReadOnly) &&
                             actual == QString::fromUtf8(expected.readAll()),
                         qPrintable(name + " differs: " + actual));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
