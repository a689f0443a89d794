// The layout view in QML with the fake engine: tiles follow the rows, keep their player
// across relayouts, show their controls and border on hover, tick, and remove a failed video.

#include "fakeengine.h"
#include "layoutstate.h"
#include "layoutviewmodel.h"
#include "playerstate.h"
#include "tilecontroller.h"
#include "viewstate.h"

#include <QAccessible>
#include <QMimeData>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <memory>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_SideControlsPlugin)

using namespace marquetrix;

namespace {

const char *const windowQml = R"(
import QtQuick
import Marquetrix
import Marquetrix.State

Window {
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
        layoutState: parent.Window.window.layoutState
        viewState: parent.Window.window.viewState
        engine: parent.Window.window.engine
    }
}
)";

} // namespace

class TestLayoutView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tilesKeepTheirPlayerAcrossRelayouts();
    void hoverShowsControlsAndBorderWithoutSearching();
    void failedVideoRemovesItself();
    void droppingATileOnAnotherSwapsThem();
    void iconButtonsAreNamed();

private:
    std::shared_ptr<VideoMetadata> open(const QString &title);
    QList<QQuickItem *> playerViews() const;
    QQuickItem *playerViewOf(const VideoMetadata &meta) const;
    LayoutViewModel *model() const;

    FakeMediaEngine m_media;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<LayoutState> m_layoutState;
    std::unique_ptr<ViewState> m_viewState;
    std::unique_ptr<QObject> m_window;
    QQuickItem *m_view = nullptr;
};

void TestLayoutView::init()
{
    // A binding or handler that fails in the QML is a fault, not noise.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("qrc:|TypeError|Could not convert")));
    m_engine = std::make_unique<QQmlEngine>();
    m_layoutState = std::make_unique<LayoutState>();
    m_viewState = std::make_unique<ViewState>();
    m_layoutState->setViewWidth(1600);
    m_layoutState->setViewHeight(900);
    QQmlComponent component(m_engine.get());
    component.setData(windowQml, QUrl());
    QVERIFY2(component.isReady(), qPrintable(component.errorString()));
    m_window.reset(component.createWithInitialProperties(
        {{QStringLiteral("layoutState"), QVariant::fromValue(m_layoutState.get())},
         {QStringLiteral("viewState"), QVariant::fromValue(m_viewState.get())},
         {QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(&m_media)}}));
    QVERIFY2(m_window, qPrintable(component.errorString()));
    m_view = m_window->property("view").value<QQuickItem *>();
    QVERIFY(m_view);
}

void TestLayoutView::cleanup()
{
    m_window.reset();
    m_engine.reset();
    m_layoutState.reset();
    m_viewState.reset();
}

std::shared_ptr<VideoMetadata> TestLayoutView::open(const QString &title)
{
    const auto listPlayer = m_media.openListPlayer(QUrl(QStringLiteral("file:///clips/") + title));
    auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer);
    meta->setTitle(title);
    m_layoutState->appendVideoMeta(meta);
    return meta;
}

LayoutViewModel *TestLayoutView::model() const
{
    return m_view->property("model").value<LayoutViewModel *>();
}

QList<QQuickItem *> TestLayoutView::playerViews() const
{
    QList<QQuickItem *> views;
    for (QQuickItem *child : m_view->childItems())
        if (auto *playerView = child->property("playerView").value<QQuickItem *>())
            views.append(playerView);
    return views;
}

QQuickItem *TestLayoutView::playerViewOf(const VideoMetadata &meta) const
{
    for (QQuickItem *view : playerViews())
        if (view->property("uuid").toString() == meta.idText())
            return view;
    return nullptr;
}

void TestLayoutView::tilesKeepTheirPlayerAcrossRelayouts()
{
    const auto first = open(QStringLiteral("first.mp4"));
    QTRY_VERIFY(playerViewOf(*first));
    QQuickItem *firstView = playerViewOf(*first);
    auto *firstState = firstView->property("playerState").value<PlayerState *>();
    QVERIFY(firstState);
    QCOMPARE(firstView->parentItem()->width(), 1600.0);

    // A video arriving moves and shrinks the first tile; its view and state stay.
    const auto second = open(QStringLiteral("second.mp4"));
    QTRY_VERIFY(playerViewOf(*second));
    QCOMPARE(playerViewOf(*first), firstView);
    QCOMPARE(firstView->property("playerState").value<PlayerState *>(), firstState);
    QVERIFY(firstView->parentItem()->width() < 1600.0);

    // The second reports a portrait picture: both tiles take new shapes, nothing is rebuilt.
    QQuickItem *secondView = playerViewOf(*second);
    const QSizeF secondBefore = secondView->parentItem()->size();
    second->setWidth(720);
    second->setHeight(1280);
    m_layoutState->setCounter(1);
    QTRY_VERIFY(secondView->parentItem()->size() != secondBefore);
    QCOMPARE(playerViewOf(*first), firstView);
    QCOMPARE(playerViewOf(*second), secondView);

    // The second leaves: the first fills the area again, still the same tile.
    m_layoutState->removeVideoMeta(second->id());
    QTRY_COMPARE(playerViews().size(), 1);
    QCOMPARE(playerViewOf(*first), firstView);
    QTRY_COMPARE(firstView->parentItem()->width(), 1600.0);
    QCOMPARE(firstView->property("playerState").value<PlayerState *>(), firstState);
}

void TestLayoutView::hoverShowsControlsAndBorderWithoutSearching()
{
    const auto only = open(QStringLiteral("only.mp4"));
    QTRY_VERIFY(playerViewOf(*only));
    QQuickItem *view = playerViewOf(*only);
    auto *tile = view->property("tile").value<TileController *>();
    auto *state = view->property("playerState").value<PlayerState *>();
    auto *controls = view->findChild<QQuickItem *>(QStringLiteral("controlsLoader"));
    QVERIFY(tile && state && controls);

    // One video: controls on hover, never a border.
    tile->setHovered(true);
    QVERIFY(state->controlsVisible());
    QTRY_VERIFY(controls->property("item").value<QQuickItem *>());
    QCOMPARE(tile->borderWidth(), 0);
    tile->setHovered(false);
    QVERIFY(!state->controlsVisible());
    QTRY_VERIFY(!controls->property("item").value<QQuickItem *>());

    const auto other = open(QStringLiteral("other.mp4"));
    QTRY_VERIFY(playerViewOf(*other));
    const int searches = model()->searchCount();
    const qint64 ticks = state->index();

    tile->setHovered(true);
    QCOMPARE(tile->borderWidth(), 2);
    // Hidden window-wide (idle full screen): no border, no bar, although hovered.
    m_viewState->setHideControls(true);
    QCOMPARE(tile->borderWidth(), 0);
    QTRY_VERIFY(!controls->property("item").value<QQuickItem *>());
    m_viewState->setHideControls(false);
    QTRY_VERIFY(controls->property("item").value<QQuickItem *>());

    // The tick runs the binding about three times a second; neither it nor hovering makes
    // the layout search again.
    QTRY_VERIFY_WITH_TIMEOUT(state->index() >= ticks + 3, 3000);
    tile->setHovered(false);
    QCoreApplication::processEvents();
    QCOMPARE(model()->searchCount(), searches);
}

void TestLayoutView::failedVideoRemovesItself()
{
    const auto good = open(QStringLiteral("good.mp4"));
    const auto bad = open(QStringLiteral("bad.mp4"));
    QTRY_COMPARE(playerViews().size(), 2);
    QQuickItem *goodView = playerViewOf(*good);

    bad->setError(true);
    QTRY_VERIFY(m_viewState->showFailedToOpenAlert());
    QCOMPARE(m_layoutState->videoMetas().size(), 1);
    QCOMPARE(m_layoutState->videoMetas().first(), good);
    QTRY_COMPARE(playerViews().size(), 1);
    QCOMPARE(playerViewOf(*good), goodView);
}

// What the window receives when something is dragged over a point and let go there.
static bool drop(QQuickWindow *window, QPointF at, QMimeData *data)
{
    QDragEnterEvent enter(at.toPoint(), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent dropped(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &dropped);
    return dropped.isAccepted();
}

void TestLayoutView::droppingATileOnAnotherSwapsThem()
{
    const auto a = open(QStringLiteral("a.mp4"));
    const auto b = open(QStringLiteral("b.mp4"));
    QTRY_COMPARE(playerViews().size(), 2);
    QQuickItem *viewA = playerViewOf(*a);
    QQuickItem *viewB = playerViewOf(*b);
    const QPointF placeA = viewA->parentItem()->position();
    const QPointF placeB = viewB->parentItem()->position();
    QVERIFY(placeA != placeB);
    const QPointF centreOfA = viewA->mapToScene(QPointF(viewA->width() / 2, viewA->height() / 2));
    auto *window = qobject_cast<QQuickWindow *>(m_window.get());

    // A file (even one whose text is a tile's id): refused, nothing moves.
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QStringLiteral("/videos/c.mp4"))});
    file.setText(b->idText());
    QVERIFY(!drop(window, centreOfA, &file));
    QCOMPARE(m_layoutState->videoMetas().first(), a);

    // B's tile dropped on A's: the two trade places, each keeping its tile.
    QMimeData tile;
    tile.setText(b->idText());
    QTest::ignoreMessage(QtInfoMsg, "Received leaf drop of type String");
    QVERIFY(drop(window, centreOfA, &tile));
    QCOMPARE(m_layoutState->videoMetas().first(), b);
    QTRY_COMPARE(viewB->parentItem()->position(), placeA);
    QCOMPARE(viewA->parentItem()->position(), placeB);
    QCOMPARE(playerViewOf(*a), viewA);
    QCOMPARE(playerViewOf(*b), viewB);
}

// The attached ToolTip of an item (attached objects are children of the item they attach to).
static QString toolTipOf(const QObject *item)
{
    for (const QObject *child : item->children())
        if (QByteArray(child->metaObject()->className()).contains("ToolTipAttached"))
            return child->property("text").toString();
    return {};
}

void TestLayoutView::iconButtonsAreNamed()
{
    const auto only = open(QStringLiteral("only.mp4"));
    QTRY_VERIFY(playerViewOf(*only));
    QQuickItem *view = playerViewOf(*only);
    view->property("tile").value<TileController *>()->setHovered(true);
    auto *controls = view->findChild<QQuickItem *>(QStringLiteral("controlsLoader"));
    QTRY_VERIFY(controls->property("item").value<QQuickItem *>());
    auto *bar = controls->property("item").value<QQuickItem *>();

    int iconButtons = 0;
    for (QQuickItem *item : bar->findChildren<QQuickItem *>()) {
        if (!item->inherits("QQuickAbstractButton") || item->property("display").toInt() != 0)
            continue;
        ++iconButtons;
        const QString name = item->objectName();
        QVERIFY2(!toolTipOf(item).isEmpty(), qPrintable(name + " has no tooltip"));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item);
        QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                 qPrintable(name + " has no accessible name"));
    }
    // Close, back, play, forward, mute, the menu button and the three side controls.
    QCOMPARE(iconButtons, 9);
}

QTEST_MAIN(TestLayoutView)
#include "tst_layoutview.moc"
