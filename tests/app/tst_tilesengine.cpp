// A real window under X with four generated clips of different shapes playing through the
// real engine: each tile shows its clip's picture at the rectangle the layout gave it.

#include "layoutstate.h"
#include "layoutviewmodel.h"
#include "mediagenerator.h"
#include "medialistplayer.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <memory>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_SideControlsPlugin)

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

const char *const windowQml = R"(
import QtQuick
import Marquetrix
import Marquetrix.State

Window {
    id: window
    required property LayoutState layoutState
    required property ViewState viewState
    required property var engine
    property alias view: view
    width: 1600
    height: 900
    visible: true

    LayoutView {
        id: view
        anchors.fill: parent
        layoutState: window.layoutState
        viewState: window.viewState
        engine: window.engine
    }
}
)";

enum class Colour
{
    Red,
    Green,
    Blue,
    White,
    Other
};

Colour classify(QRgb pixel)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    const auto high = [](int v) { return v > 160; };
    const auto low = [](int v) { return v < 96; };
    if (high(r) && high(g) && high(b))
        return Colour::White;
    if (high(r) && low(g) && low(b))
        return Colour::Red;
    if (low(r) && high(g) && low(b))
        return Colour::Green;
    if (low(r) && low(g) && high(b))
        return Colour::Blue;
    return Colour::Other;
}

// The quadrant clip seen in a rectangle: red top left, green top right, blue bottom left,
// white bottom right, sampled at the quadrants' centres.
QString pictureProblem(const QImage &image, const QRectF &rect)
{
    const struct
    {
        qreal fx, fy;
        Colour colour;
        const char *name;
    } samples[] = {{0.25, 0.25, Colour::Red, "red"},
                   {0.75, 0.25, Colour::Green, "green"},
                   {0.25, 0.75, Colour::Blue, "blue"},
                   {0.75, 0.75, Colour::White, "white"}};
    const qreal scale = image.devicePixelRatio();
    for (const auto &sample : samples) {
        const QPoint at(int((rect.x() + rect.width() * sample.fx) * scale),
                        int((rect.y() + rect.height() * sample.fy) * scale));
        const QRgb pixel = image.pixel(at);
        if (classify(pixel) != sample.colour)
            return QStringLiteral("at %1,%2 expected %3, found #%4")
                .arg(at.x())
                .arg(at.y())
                .arg(QLatin1String(sample.name))
                .arg(pixel & 0xffffff, 6, 16, QLatin1Char('0'));
    }
    return {};
}

} // namespace

class TestTilesEngine : public QObject
{
    Q_OBJECT

private slots:
    void fourShapesShowAtTheirTiles();
};

void TestTilesEngine::fourShapesShowAtTheirTiles()
{
    MediaGenerator media;
    const QList<QSize> sizes = {{640, 360}, {640, 480}, {360, 640}, {860, 360}};
    VlcMediaEngine engine;
    LayoutState layoutState;
    ViewState viewState;
    layoutState.setViewWidth(1600);
    layoutState.setViewHeight(900);

    QQmlEngine qml;
    QQmlComponent component(&qml);
    component.setData(windowQml, QUrl());
    QVERIFY2(component.isReady(), qPrintable(component.errorString()));
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("layoutState"), QVariant::fromValue(&layoutState)},
         {QStringLiteral("viewState"), QVariant::fromValue(&viewState)},
         {QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(&engine)}}));
    QVERIFY2(root, qPrintable(component.errorString()));
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto *view = root->property("view").value<QQuickItem *>();
    auto *model = view->property("model").value<LayoutViewModel *>();

    for (const QSize &size : sizes) {
        const QString path =
            media.clip({.size = size, .seconds = 20, .pattern = ClipPattern::Quadrants});
        QVERIFY2(!path.isEmpty(), qPrintable(media.failure()));
        auto listPlayer = engine.createListPlayer({QStringLiteral("--avcodec-hw=none")});
        listPlayer->setMediaList(
            engine.createMediaList({engine.createMedia(QUrl::fromLocalFile(path))}));
        auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer);
        meta->setTitle(QUrl::fromLocalFile(path).fileName());
        layoutState.appendVideoMeta(meta);
    }

    // Every clip reports its size, and the layout gives each tile the clip's shape (snapped to
    // a common format: 2.39:1 gets a 2.35:1 tile).
    const auto tileRatiosMatch = [&] {
        if (model->rowCount() != sizes.size())
            return false;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row);
            auto *meta = index.data(LayoutViewModel::VideoMetaRole).value<VideoMetadata *>();
            const qreal ratio = index.data(LayoutViewModel::TileWidthRole).toReal() /
                                index.data(LayoutViewModel::TileHeightRole).toReal();
            if (!meta->videoLoaded() ||
                qAbs(ratio - qreal(meta->width()) / qreal(meta->height())) > 0.05)
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(tileRatiosMatch(), 20000);

    // Each tile item stands at its row's rectangle, and shows its clip's picture there.
    QString problem;
    const auto picturesShown = [&] {
        const QImage image = window->grabWindow();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row);
            const QRectF rect(index.data(LayoutViewModel::TileXRole).toReal(),
                              index.data(LayoutViewModel::TileYRole).toReal(),
                              index.data(LayoutViewModel::TileWidthRole).toReal(),
                              index.data(LayoutViewModel::TileHeightRole).toReal());
            problem = pictureProblem(image, rect);
            if (!problem.isEmpty()) {
                problem =
                    index.data(LayoutViewModel::VideoMetaRole).value<VideoMetadata *>()->title() +
                    QLatin1Char(' ') + problem;
                return false;
            }
        }
        return true;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(picturesShown(), qPrintable(problem), 20000);

    QList<QRectF> itemRects;
    for (QQuickItem *child : view->childItems()) {
        if (child->property("playerView").value<QQuickItem *>())
            itemRects.append(child->mapRectToScene(QRectF(0, 0, child->width(), child->height())));
    }
    QCOMPARE(itemRects.size(), sizes.size());
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row);
        const QRectF rect(index.data(LayoutViewModel::TileXRole).toReal(),
                          index.data(LayoutViewModel::TileYRole).toReal(),
                          index.data(LayoutViewModel::TileWidthRole).toReal(),
                          index.data(LayoutViewModel::TileHeightRole).toReal());
        QVERIFY2(itemRects.contains(rect),
                 qPrintable(QStringLiteral("no tile at row %1").arg(row)));
    }

    // Closing the window's players empties the list before the engine goes.
    viewState.setIsClosed(true);
    QTRY_VERIFY_WITH_TIMEOUT(layoutState.videoMetas().isEmpty(), 10000);
}

QTEST_MAIN(TestTilesEngine)
#include "tst_tilesengine.moc"
