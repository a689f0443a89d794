// The layout view's model: rows keyed by video, with the tiles' rectangles in the area.

#include "layoutstate.h"
#include "layoutviewmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace marquetrix;

namespace {

std::shared_ptr<VideoMetadata> video(qint64 width, qint64 height, const QString &title = {})
{
    auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    meta->setWidth(width);
    meta->setHeight(height);
    meta->setTitle(title);
    return meta;
}

// Within half a point: the layout computes in 32-bit floats.
bool near(const QRectF &got, const QRectF &want)
{
    return qAbs(got.x() - want.x()) < 0.5 && qAbs(got.y() - want.y()) < 0.5 &&
           qAbs(got.width() - want.width()) < 0.5 && qAbs(got.height() - want.height()) < 0.5;
}

struct Window
{
    explicit Window(float width, float height)
    {
        state.setViewWidth(width);
        state.setViewHeight(height);
        model.setLayoutState(&state);
        model.relayout();
    }

    QRectF rectOf(const VideoMetadata &meta) const
    {
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row);
            if (index.data(LayoutViewModel::VideoIdRole).toString() == meta.idText())
                return {index.data(LayoutViewModel::TileXRole).toReal(),
                        index.data(LayoutViewModel::TileYRole).toReal(),
                        index.data(LayoutViewModel::TileWidthRole).toReal(),
                        index.data(LayoutViewModel::TileHeightRole).toReal()};
        }
        return {};
    }

    int rowOf(const VideoMetadata &meta) const
    {
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.index(row).data(LayoutViewModel::VideoMetaRole).value<VideoMetadata *>() ==
                &meta)
                return row;
        return -1;
    }

    LayoutState state;
    LayoutViewModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

} // namespace

class TestLayoutViewModel : public QObject
{
    Q_OBJECT

private slots:
    void placesVideos_data();
    void placesVideos();
    void arrivalKeepsTheOtherRows();
    void leavingAndResizingKeepTheOtherRows();
    void relayoutIsCoalescedPerTurn();
    void unrelatedChangesAreAnsweredByTheCache();
    void objectiveChangeLaysOutAgain();
    void closedVideosGetNoTileAndNoLayoutIsAnError();
    void swapsEqualRatios();
    void refusesDrops_data();
    void refusesDrops();
};

void TestLayoutViewModel::placesVideos_data()
{
    QTest::addColumn<QSizeF>("area");
    QTest::addColumn<QList<QSize>>("videos");
    QTest::addColumn<QList<QRectF>>("tiles");

    QTest::newRow("one 16:9 in 1600x1000: full width, centred")
        << QSizeF(1600, 1000) << QList<QSize>{{1920, 1080}} << QList<QRectF>{{0, 50, 1600, 900}};
    QTest::newRow("one 4:3 in 1600x900: full height, centred")
        << QSizeF(1600, 900) << QList<QSize>{{640, 480}} << QList<QRectF>{{200, 0, 1200, 900}};
    QTest::newRow("four 16:9 in 1600x900: a 2x2 grid")
        << QSizeF(1600, 900) << QList<QSize>{{16, 9}, {16, 9}, {16, 9}, {16, 9}}
        << QList<QRectF>{
               {0, 0, 800, 450}, {0, 450, 800, 450}, {800, 0, 800, 450}, {800, 450, 800, 450}};
}

void TestLayoutViewModel::placesVideos()
{
    QFETCH(QSizeF, area);
    QFETCH(QList<QSize>, videos);
    QFETCH(QList<QRectF>, tiles);

    Window window(float(area.width()), float(area.height()));
    for (const QSize &size : videos)
        window.state.appendVideoMeta(video(size.width(), size.height()));
    window.model.relayout();

    QCOMPARE(window.model.rowCount(), videos.size());
    QList<QRectF> placed;
    for (const auto &meta : window.state.videoMetas())
        placed.append(window.rectOf(*meta));
    // Order within equal tiles is the layout's business; the set of rectangles is ours.
    const auto byPosition = [](const QRectF &a, const QRectF &b) {
        return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
    };
    std::sort(placed.begin(), placed.end(), byPosition);
    std::sort(tiles.begin(), tiles.end(), byPosition);
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const QRectF &got = placed.at(i);
        const QRectF &want = tiles.at(i);
        QVERIFY2(near(got, want), qPrintable(QStringLiteral("tile %1: got %2,%3 %4x%5")
                                                 .arg(i)
                                                 .arg(got.x())
                                                 .arg(got.y())
                                                 .arg(got.width())
                                                 .arg(got.height())));
    }
}

void TestLayoutViewModel::arrivalKeepsTheOtherRows()
{
    Window window(1600, 900);
    const auto first = video(1920, 1080, QStringLiteral("first"));
    window.state.appendVideoMeta(first);
    window.model.relayout();
    QVERIFY(near(window.rectOf(*first), QRectF(0, 0, 1600, 900)));

    QSignalSpy removed(&window.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&window.model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&window.model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&window.model, &QAbstractItemModel::modelReset);
    const auto second = video(1920, 1080, QStringLiteral("second"));
    window.state.appendVideoMeta(second);
    // The change is laid out at the next turn of the event loop.
    QTRY_COMPARE(window.model.rowCount(), 2);

    QCOMPARE(removed.count(), 0);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(window.rowOf(*first), 0);
    QCOMPARE(window.rowOf(*second), 1);
    // The first tile moved and shrank in place.
    QCOMPARE(changed.count(), 1);
    QVERIFY(window.rectOf(*first).width() < 1600);
}

void TestLayoutViewModel::leavingAndResizingKeepTheOtherRows()
{
    Window window(1600, 900);
    const auto a = video(16, 9);
    const auto b = video(16, 9);
    const auto c = video(16, 9);
    for (const auto &meta : {a, b, c})
        window.state.appendVideoMeta(meta);
    window.model.relayout();
    QCOMPARE(window.model.rowCount(), 3);

    QSignalSpy removed(&window.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&window.model, &QAbstractItemModel::rowsInserted);

    // b leaves: only its row goes.
    window.state.removeVideoMeta(b->id());
    QTRY_COMPARE(window.model.rowCount(), 2);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(window.rowOf(*b), -1);
    QCOMPARE(window.rowOf(*a), 0);
    QCOMPARE(window.rowOf(*c), 1);

    // c reports its real size (portrait), then a is cropped to portrait: the tiles take
    // the new shapes without any row being replaced.
    const QRectF before = window.rectOf(*c);
    c->setWidth(720);
    c->setHeight(1280);
    window.state.setCounter(window.state.counter() + 1);
    QTRY_VERIFY(window.rectOf(*c) != before);
    QVERIFY(qAbs(window.rectOf(*c).width() / window.rectOf(*c).height() - 0.5625) < 0.01);

    a->setOverriddenAR(0.5625f);
    window.state.setCounter(window.state.counter() + 1);
    QTRY_VERIFY(qAbs(window.rectOf(*a).width() / window.rectOf(*a).height() - 0.5625) < 0.01);

    QCOMPARE(removed.count(), 1);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(window.rowOf(*a), 0);
    QCOMPARE(window.rowOf(*c), 1);
}

void TestLayoutViewModel::relayoutIsCoalescedPerTurn()
{
    Window window(1600, 900);
    QSignalSpy inserted(&window.model, &QAbstractItemModel::rowsInserted);
    const int searches = window.model.searchCount();
    for (int i = 0; i < 3; ++i)
        window.state.appendVideoMeta(video(16, 9));
    window.state.setViewWidth(1200);
    QCOMPARE(window.model.rowCount(), 0);
    QTRY_COMPARE(window.model.rowCount(), 3);
    QCOMPARE(window.model.searchCount(), searches + 1);
}

void TestLayoutViewModel::unrelatedChangesAreAnsweredByTheCache()
{
    Window window(1600, 900);
    window.state.appendVideoMeta(video(16, 9));
    window.state.appendVideoMeta(video(4, 3));
    window.model.relayout();
    const int searches = window.model.searchCount();
    QSignalSpy changed(&window.model, &QAbstractItemModel::dataChanged);

    // Each of these renders the layout view again; the cache answers every time.
    window.state.setIsFullscreen(false);
    QTRY_VERIFY(window.model.searchCount() == searches && changed.isEmpty());
    window.state.setShowSwapAlert(false);
    QCoreApplication::processEvents();
    window.state.setViewWidth(1600);
    QCoreApplication::processEvents();
    QCOMPARE(window.model.searchCount(), searches);
    QCOMPARE(changed.count(), 0);
}

void TestLayoutViewModel::objectiveChangeLaysOutAgain()
{
    Window window(1600, 900);
    window.state.appendVideoMeta(video(16, 9));
    window.state.appendVideoMeta(video(4, 3));
    window.model.relayout();
    const int searches = window.model.searchCount();
    window.model.setLayoutAlgorithm(2);
    QTRY_COMPARE(window.model.searchCount(), searches + 1);
}

void TestLayoutViewModel::closedVideosGetNoTileAndNoLayoutIsAnError()
{
    Window window(1600, 900);
    const auto open = video(16, 9, QStringLiteral("open"));
    const auto closed = video(16, 9, QStringLiteral("closed"));
    closed->setIsClosed(true);
    window.state.appendVideoMeta(closed);
    window.state.appendVideoMeta(open);
    window.model.relayout();
    QCOMPARE(window.model.rowCount(), 1);
    QCOMPARE(window.rowOf(*open), 0);
    QVERIFY(near(window.rectOf(*open), QRectF(0, 0, 1600, 900)));
    QVERIFY(!window.model.layoutFailed());

    // With no open video the search has no tree: the welcome content, and the error once.
    open->setIsClosed(true);
    QSignalSpy errors(&window.state, &LayoutState::layoutErrorChanged);
    window.state.setCounter(1);
    QTRY_COMPARE(window.state.layoutError(), QStringLiteral("Failed to find layout"));
    QVERIFY(window.model.layoutFailed());
    QCOMPARE(window.model.rowCount(), 0);
    // Setting the error renders again; the error already there is not written again.
    QTRY_VERIFY(window.model.searchCount() > 0);
    window.state.setCounter(2);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    QCOMPARE(errors.count(), 1);

    // A video opened again brings the tiles back.
    window.state.appendVideoMeta(video(16, 9));
    QTRY_COMPARE(window.model.rowCount(), 1);
    QVERIFY(!window.model.layoutFailed());
}

void TestLayoutViewModel::swapsEqualRatios()
{
    Window window(1600, 900);
    const auto a = video(1920, 1080, QStringLiteral("a"));
    const auto b = video(1280, 720, QStringLiteral("b"));
    window.state.appendVideoMeta(a);
    window.state.appendVideoMeta(b);
    window.model.relayout();
    const QRectF rectA = window.rectOf(*a);
    const QRectF rectB = window.rectOf(*b);
    QVERIFY(rectA != rectB);

    QSignalSpy listChanges(&window.state, &LayoutState::videoMetasChanged);
    QSignalSpy removed(&window.model, &QAbstractItemModel::rowsRemoved);
    QTest::ignoreMessage(QtInfoMsg, "Received leaf drop of type String");
    QVERIFY(window.model.handleLeafDrop({b->idText()}, a->idText()));
    QCOMPARE(listChanges.count(), 1);
    QCOMPARE(window.state.videoMetas().first(), b);
    QVERIFY(!window.model.isMainFocused());
    QTRY_VERIFY(window.model.isMainFocused());
    // The two tiles trade places; neither is rebuilt.
    QTRY_COMPARE(window.rectOf(*b), rectA);
    QCOMPARE(window.rectOf(*a), rectB);
    QCOMPARE(removed.count(), 0);
}

void TestLayoutViewModel::refusesDrops_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("swapAlert");
    QTest::newRow("different ratios") << "wide on square" << true;
    QTest::newRow("on itself") << "self" << false;
    QTest::newRow("two items") << "two" << false;
    QTest::newRow("foreign text") << "foreign" << false;
    QTest::newRow("lower-case id of another list") << "unknown id" << false;
    QTest::newRow("nothing") << "none" << false;
}

void TestLayoutViewModel::refusesDrops()
{
    QFETCH(QString, what);
    QFETCH(bool, swapAlert);

    Window window(1600, 900);
    const auto wide = video(1920, 1080);
    const auto square = video(1000, 1000);
    const auto wide2 = video(1920, 1080);
    // A crop does not make two videos swappable: only picture sizes count.
    square->setOverriddenAR(16.0f / 9.0f);
    for (const auto &meta : {wide, square, wide2})
        window.state.appendVideoMeta(meta);
    const auto order = window.state.videoMetas();

    QStringList items;
    QString target = wide->idText();
    if (what == "wide on square") {
        items = {wide->idText()};
        target = square->idText();
    } else if (what == "self") {
        items = {wide->idText()};
    } else if (what == "two") {
        items = {wide2->idText(), wide2->idText()};
    } else if (what == "foreign") {
        items = {QStringLiteral("file:///tmp/clip.mp4")};
    } else if (what == "unknown id") {
        items = {QUuid::createUuid().toString(QUuid::WithoutBraces)};
    }
    if (items.size() == 1)
        QTest::ignoreMessage(QtInfoMsg, "Received leaf drop of type String");

    QSignalSpy alerts(&window.state, &LayoutState::showSwapAlertChanged);
    QVERIFY(!window.model.handleLeafDrop(items, target));
    QCOMPARE(window.state.videoMetas(), order);
    QCOMPARE(window.state.showSwapAlert(), swapAlert);
    QCOMPARE(alerts.count(), swapAlert ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestLayoutViewModel)
#include "tst_layoutviewmodel.moc"
