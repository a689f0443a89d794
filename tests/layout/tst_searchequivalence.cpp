#include "layoutsearch.h"
#include "literalsearch.h"
#include "recordingsink.h"

#include <QTest>
#include <random>

using namespace marquetrix::layout;

namespace {

// Everything but the elapsed time, which the two searches cannot share.
QStringList comparableLog(QStringList lines)
{
    static const QRegularExpression elapsed(" in [0-9.]+ s\\.");
    for (QString &line : lines)
        line.replace(elapsed, " in <time> s.");
    return lines;
}

struct Case
{
    SearchInput input;
    QString label;
};

Case randomCase(std::mt19937 &random, std::size_t maxVideos)
{
    static const float snapped[] = {16.f / 9, 4.f / 3, 9.f / 16, 2.39f};
    static const LayoutAlgorithm objectives[] = {
        LayoutAlgorithm::ScreenUsage, LayoutAlgorithm::Balanced, LayoutAlgorithm::VideoSizes};
    static const std::pair<float, float> areas[] = {{1600, 1000}, {3000, 400},  {400, 1600},
                                                    {5000, 300},  {1920, 1080}, {800, 800}};

    Case c;
    std::uniform_int_distribution<std::size_t> count(1, maxVideos);
    const std::size_t n = count(random);
    // Mostly common formats, so that many orderings coincide; some free ratios, some forced.
    std::uniform_real_distribution<float> free(0.3f, 3.0f);
    std::uniform_int_distribution<int> pick(0, 9);
    for (std::size_t k = 0; k < n; ++k) {
        VideoInput video;
        const int kind = pick(random);
        if (kind < 6) {
            video.overriddenAR = snapped[pick(random) % 4];
        } else if (kind < 8) {
            video.overriddenAR = free(random);
        } else {
            video.width = std::uniform_int_distribution<std::int64_t>(100, 4000)(random);
            video.height = std::uniform_int_distribution<std::int64_t>(100, 4000)(random);
        }
        video.isClosed = pick(random) == 0;
        c.input.videos.push_back(video);
    }
    if (pick(random) < 7) {
        const auto [w, h] = areas[pick(random) % 6];
        c.input.viewWidth = w;
        c.input.viewHeight = h;
    } else {
        c.input.viewWidth = std::uniform_real_distribution<float>(200, 6000)(random);
        c.input.viewHeight = std::uniform_real_distribution<float>(200, 3000)(random);
    }
    c.input.layoutAlgorithm = objectives[pick(random) % 3];
    for (const VideoInput &video : c.input.videos)
        c.label += QString("%1%2x%3/%4 ")
                       .arg(video.isClosed ? "closed:" : "")
                       .arg(video.width)
                       .arg(video.height)
                       .arg(double(video.overriddenAR));
    c.label += QString("in %1x%2 objective %3")
                   .arg(double(c.input.viewWidth))
                   .arg(double(c.input.viewHeight))
                   .arg(int(c.input.layoutAlgorithm));
    return c;
}

void compareSearches(const Case &c)
{
    LayoutCache fastCache;
    LayoutCache literalCache;
    RecordingSink fastLog;
    RecordingSink literalLog;
    SearchReport report;
    const NodePtr fast = findLayout(c.input, fastCache, fastLog, &report);
    const NodePtr literal = testing::findLayoutLiteral(c.input, literalCache, literalLog);
    QVERIFY2(!report.bounded, qPrintable(c.label));
    QVERIFY2(fast->description() == literal->description(), qPrintable(c.label));
    QVERIFY2(fast->getSizes() == literal->getSizes(), qPrintable(c.label));
    QVERIFY2(fast->getSizeRatio() == literal->getSizeRatio(), qPrintable(c.label));
    QVERIFY2(comparableLog(fastLog.lines) == comparableLog(literalLog.lines), qPrintable(c.label));
    QVERIFY2(bool(fastCache.lastLayout) == bool(literalCache.lastLayout), qPrintable(c.label));
    QVERIFY2(fastCache.viewConfig == literalCache.viewConfig, qPrintable(c.label));
    if (fastCache.lastLayout)
        QCOMPARE(fastCache.lastLayout, fast);
}

} // namespace

class TestSearchEquivalence : public QObject
{
    Q_OBJECT

private slots:
    // The fast search chooses the same tree, with the same shares, logs and cache writes,
    // as the search that builds every tree.
    void randomInputs()
    {
        std::mt19937 random(20261206);
        for (int k = 0; k < 3000; ++k) {
            compareSearches(randomCase(random, 5));
            if (QTest::currentTestFailed())
                return;
        }
    }

    void randomInputsUpToSeven()
    {
        std::mt19937 random(7);
        for (int k = 0; k < 150; ++k) {
            compareSearches(randomCase(random, 7));
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Seven distinct ratios in a very wide area: no candidate anywhere, so every ordering
    // and every tree is tried.
    void worstCaseSeven()
    {
        Case c;
        c.label = "seven distinct ratios in 5000x300";
        for (float ratio : {0.5f, 0.7f, 0.9f, 1.1f, 1.5f, 2.0f, 2.8f})
            c.input.videos.push_back({false, ratio, 16, 9, {}});
        c.input.viewWidth = 5000;
        c.input.viewHeight = 300;
        compareSearches(c);
    }
};

QTEST_APPLESS_MAIN(TestSearchEquivalence)
#include "tst_searchequivalence.moc"
