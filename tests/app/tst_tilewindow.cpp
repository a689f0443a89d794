// The tiles of the real window on the real engine, driven by pointer and keys through the X
// server as a user drives them: the tile's menus stay while they are open and every action is
// reachable on small tiles and from a context menu; play after the end plays on; Repeat all
// leaves a user's pause alone; menus answer the pointer and the keys; the player keys act on
// the tile under the pointer or the one clicked last; drags light up their target; titles stay
// readable and tooltips calm; a resize stretches the tiles at once.

#include "appwindow.h"
#include "contentcontroller.h"
#include "layoutstate.h"
#include "mediagenerator.h"
#include "playerstate.h"
#include "videometadata.h"
#include "viewstate.h"

#include <QMimeData>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

constexpr int loadTimeout = 30000;

void collectNamed(QQuickItem *item, const QString &name, QList<QQuickItem *> &found)
{
    if (!item || !item->isVisible())
        return;
    if (item->objectName() == name)
        found.append(item);
    for (QQuickItem *child : item->childItems())
        collectNamed(child, name, found);
}

// The first visible item of that name inside `root`.
QQuickItem *inside(QQuickItem *root, const QString &name)
{
    QList<QQuickItem *> found;
    collectNamed(root, name, found);
    return found.value(0);
}

// The window's tiles in the order of its list of videos.
QList<QQuickItem *> tilesOf(const AppWindow &app)
{
    QList<QQuickItem *> found;
    collectNamed(app.window()->contentItem(), QStringLiteral("tile"), found);
    QList<QQuickItem *> ordered;
    for (const auto &meta : app.layoutState()->videoMetas()) {
        for (QQuickItem *tile : std::as_const(found)) {
            if (tile->property("videoMeta").value<VideoMetadata *>() == meta.get())
                ordered.append(tile);
        }
    }
    return ordered;
}

QQuickItem *playerViewOf(QQuickItem *tile)
{
    return tile->property("playerView").value<QQuickItem *>();
}

PlayerState *stateOf(QQuickItem *tile)
{
    return playerViewOf(tile)->property("playerState").value<PlayerState *>();
}

QRect sceneRect(const QQuickItem *item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toRect();
}

// A point in a tile that no control of its bar covers: below the centred row.
QPoint bareSpotOf(const QQuickItem *tile)
{
    const QRect rect = sceneRect(tile);
    return {rect.center().x(), rect.top() + rect.height() * 7 / 8};
}

void resize(AppWindow &app, QSize size)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("windowsize"), QString::number(app.window()->winId()),
                       QString::number(size.width()), QString::number(size.height())});
}

// Whether the window's tiles stand where the layout put them and play.
bool settled(const AppWindow &app, int count)
{
    const QList<QQuickItem *> tiles = tilesOf(app);
    if (tiles.size() != count)
        return false;
    return std::all_of(tiles.begin(), tiles.end(), [](QQuickItem *tile) {
        const VideoMetadata *meta = stateOf(tile)->videoMeta();
        return meta->videoLoaded() && !meta->loading();
    });
}

// A visible item showing `text` inside a popup (menu, context menu, tooltip), if any.
QQuickItem *popupItemWithText(const AppWindow &app, const QString &text)
{
    for (QQuickItem *item : app.itemsWithText(text)) {
        for (QQuickItem *up = item; up; up = up->parentItem()) {
            if (up->inherits("QQuickPopupItem"))
                return item;
        }
    }
    return nullptr;
}

bool isHighlight(QRgb pixel)
{
    return AppWindow::near(pixel, QColor(0x3d, 0xae, 0xe9), 40);
}

} // namespace

class TestTileWindow : public QObject
{
    Q_OBJECT

private slots:
    void tileActionsStayReachable_data();
    void tileActionsStayReachable();
    void playAfterTheEndPlaysOn();
    void repeatAllLeavesAUsersPause();
    void menusAnswerPointerAndKeys();
    void playerKeys_data();
    void playerKeys();
    void dragsLightUpTheirTarget();
    void readableAndCalm_data();
    void readableAndCalm();

private:
    QStringList clips(int count, QSize size, double seconds,
                      ClipPattern pattern = ClipPattern::TestSource);
    bool startWith(AppWindow &app, const QStringList &arguments, QSize windowSize = {});

    MediaGenerator m_media;
};

QStringList TestTileWindow::clips(int count, QSize size, double seconds, ClipPattern pattern)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        // Lengths differ by a little, so that every clip is a file of its own.
        const QString path = m_media.clip(
            {.size = size, .seconds = seconds + 0.2 * i, .fps = 10, .pattern = pattern});
        if (path.isEmpty())
            qWarning() << m_media.failure();
        paths << path;
    }
    return paths;
}

bool TestTileWindow::startWith(AppWindow &app, const QStringList &arguments, QSize windowSize)
{
    if (!app.start(arguments))
        return false;
    if (windowSize.isValid()) {
        resize(app, windowSize);
        if (!QTest::qWaitFor([&] { return app.window()->size() == windowSize; }, 5000))
            return false;
    }
    return QTest::qWaitFor([&] { return settled(app, int(arguments.size())); }, loadTimeout);
}

void TestTileWindow::tileActionsStayReachable_data()
{
    QTest::addColumn<QSize>("windowSize");
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("clipSize");
    // The bar's button that opens the menu; empty: a right click on the tile.
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("choice");

    const QSize window(1280, 800);
    const QSize small(640, 480);
    QTest::newRow("crop menu") << window << 1 << QSize(320, 180) << "cropButton"
                               << "Portrait";
    QTest::newRow("open menu") << window << 1 << QSize(320, 180) << "openButton"
                               << "Open File";
    QTest::newRow("narrow tile: more") << small << 1 << QSize(180, 320) << "moreButton"
                                       << "Loop";
    QTest::newRow("tiny tile: more") << small << 5 << QSize(180, 320) << "moreButton"
                                     << "Loop";
    QTest::newRow("context menu: loop") << window << 1 << QSize(320, 180) << ""
                                        << "Loop";
    QTest::newRow("context menu: crop") << window << 1 << QSize(320, 180) << ""
                                        << "Portrait";
}

void TestTileWindow::tileActionsStayReachable()
{
    QFETCH(QSize, windowSize);
    QFETCH(int, count);
    QFETCH(QSize, clipSize);
    QFETCH(QString, opener);
    QFETCH(QString, choice);

    AppWindow app;
    QVERIFY2(startWith(app, clips(count, clipSize, 20), windowSize), qPrintable(app.failure()));
    QList<QQuickItem *> tiles = tilesOf(app);
    QQuickItem *tile = *std::min_element(tiles.begin(), tiles.end(),
                                         [](auto *a, auto *b) { return a->width() < b->width(); });
    PlayerState *state = stateOf(tile);
    const QRect tileRect = sceneRect(tile);

    if (opener.isEmpty()) {
        app.click(bareSpotOf(tile), Qt::RightButton);
    } else {
        app.move(bareSpotOf(tile));
        QQuickItem *button = nullptr;
        QTRY_VERIFY((button = inside(tile, opener)));
        // Every control of the bar lies inside the tile, however small.
        for (const char *name : {"playButton", "muteButton", "moreButton", "closeButton"}) {
            if (QQuickItem *control = inside(tile, QLatin1String(name)))
                QVERIFY2(tileRect.contains(sceneRect(control)),
                         qPrintable(QStringLiteral("%1 cut off in a tile %2 wide")
                                        .arg(QLatin1String(name))
                                        .arg(tileRect.width())));
        }
        app.click(app.centreOf(button));
    }
    // The pointer goes to the menu, as a user's does; the menu stays.
    QQuickItem *item = nullptr;
    if (choice == QLatin1String("Portrait") && opener.isEmpty()) {
        // The context menu's crop choices are a submenu.
        QQuickItem *crop = nullptr;
        QTRY_VERIFY((crop = popupItemWithText(app, QStringLiteral("Crop"))));
        app.click(app.centreOf(crop));
    }
    QTRY_VERIFY((item = popupItemWithText(app, choice)));
    app.move(app.centreOf(item));
    QTest::qWait(400);
    QVERIFY2((item = popupItemWithText(app, choice)), "the menu went away under the pointer");
    app.click(app.centreOf(item));

    if (choice == QLatin1String("Portrait")) {
        QTRY_VERIFY_WITH_TIMEOUT(tile->height() > tile->width() * 1.5, 5000);
    } else if (choice == QLatin1String("Loop")) {
        QTRY_VERIFY(state->repeatEnabled());
    } else {
        QObject *dialog =
            playerViewOf(tile)->findChild<QObject *>(QStringLiteral("tileFileDialog"));
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->property("visible").toBool());
        QTest::qWait(500);
        QVERIFY2(dialog->property("visible").toBool(), "the open panel went with the bar");
        app.key(QStringLiteral("Escape"));
        QTRY_VERIFY(!dialog->property("visible").toBool());
    }
    QVERIFY(app.window()->isVisible());
}

void TestTileWindow::playAfterTheEndPlaysOn()
{
    AppWindow app;
    QVERIFY2(startWith(app, clips(1, {320, 180}, 2)), qPrintable(app.failure()));
    QQuickItem *tile = tilesOf(app).value(0);
    PlayerState *state = stateOf(tile);
    QTRY_VERIFY_WITH_TIMEOUT(state->videoMeta()->ended() && !state->playing(), 10000);

    app.move(bareSpotOf(tile));
    QQuickItem *play = nullptr;
    QTRY_VERIFY((play = inside(tile, QStringLiteral("playButton"))));
    app.click(app.centreOf(play));
    // One click plays on past the moment the old fault paused it again (0.03 to 0.23 s).
    QTRY_VERIFY(state->position() > 0.3f && state->position() < 1.5f);
    QTest::qWait(800);
    QVERIFY(state->playing());
    const float before = state->position();
    QTRY_VERIFY(state->position() > before + 0.2f);
}

void TestTileWindow::repeatAllLeavesAUsersPause()
{
    AppWindow app;
    const QStringList paths = clips(1, {320, 180}, 30) + clips(1, {320, 180}, 2);
    QVERIFY2(startWith(app, paths), qPrintable(app.failure()));
    const QList<QQuickItem *> tiles = tilesOf(app);
    PlayerState *paused = stateOf(tiles.value(0));
    PlayerState *ended = stateOf(tiles.value(1));

    app.move(bareSpotOf(tiles[0]));
    QQuickItem *play = nullptr;
    QTRY_VERIFY((play = inside(tiles[0], QStringLiteral("playButton"))));
    app.click(app.centreOf(play));
    QTRY_VERIFY(!paused->playing());
    QTRY_VERIFY_WITH_TIMEOUT(ended->videoMeta()->ended() && !ended->playing(), 10000);
    const float pausedAt = paused->position();

    app.key(QStringLiteral("ctrl+r"));
    // The video at its end starts over and loops; the one the user paused stays paused.
    QTRY_VERIFY(ended->playing() && ended->repeatEnabled());
    QTest::qWait(1500);
    QVERIFY(!paused->playing());
    QCOMPARE(paused->position(), pausedAt);
}

void TestTileWindow::menusAnswerPointerAndKeys()
{
    AppWindow app;
    QVERIFY2(startWith(app, clips(1, {320, 180}, 30)), qPrintable(app.failure()));
    ViewState *view = app.viewState();
    const auto menuBarItem = [&](const QString &title) {
        const QList<QQuickItem *> items = app.itemsWithText(title);
        return items.value(0);
    };

    // The settings open from the Layout menu every time, and Escape closes them.
    for (int attempt = 0; attempt < 4; ++attempt) {
        QQuickItem *layout = menuBarItem(QStringLiteral("&Layout"));
        QVERIFY(layout);
        app.click(app.centreOf(layout));
        QQuickItem *settings = nullptr;
        QTRY_VERIFY((settings = popupItemWithText(app, QStringLiteral("Settings"))));
        app.click(app.centreOf(settings));
        QTRY_VERIFY2(view->layoutSettingsVisible(),
                     qPrintable(QStringLiteral("attempt %1").arg(attempt)));
        app.key(QStringLiteral("Escape"));
        QTRY_VERIFY(!view->layoutSettingsVisible());
    }

    // One click opens "Add video"; Escape closes it, and the keys are the window's again.
    QQuickItem *addVideo = app.item(QStringLiteral("addVideoButton"));
    QVERIFY(addVideo);
    app.click(app.centreOf(addVideo));
    QTRY_VERIFY(popupItemWithText(app, QStringLiteral("Open URL")));
    app.key(QStringLiteral("Escape"));
    QTRY_VERIFY(!popupItemWithText(app, QStringLiteral("Open URL")));
    QTRY_VERIFY(app.controller()->isFocused());
    app.key(QStringLiteral("space"));
    QTRY_VERIFY(view->globalPause());

    // Menus show their keys, and the keys move in them: Down and Return pick the first item.
    QQuickItem *file = menuBarItem(QStringLiteral("&File"));
    QVERIFY(file);
    app.click(app.centreOf(file));
    QTRY_VERIFY(popupItemWithText(app, QStringLiteral("Ctrl+O")));
    app.key(QStringLiteral("Escape"));
    QTRY_VERIFY(!popupItemWithText(app, QStringLiteral("Ctrl+O")));
    QQuickItem *help = menuBarItem(QStringLiteral("&Help"));
    QVERIFY(help);
    app.click(app.centreOf(help));
    QTRY_VERIFY(popupItemWithText(app, QStringLiteral("Keyboard shortcuts")));
    app.key(QStringLiteral("Down"));
    app.key(QStringLiteral("Return"));
    auto *helpWindow = app.window()->findChild<QWindow *>(QStringLiteral("helpWindow"));
    QVERIFY(helpWindow);
    QTRY_VERIFY(helpWindow->isVisible());
    helpWindow->close();

    // A click on a tile's control leaves the keys with the window.
    QTRY_VERIFY(app.controller()->isFocused());
    QTest::qWait(300);
    const int focusChanges = int(app.log().filter(QStringLiteral("ContentView focus")).size());
    QQuickItem *tile = tilesOf(app).value(0);
    app.move(bareSpotOf(tile));
    QQuickItem *mute = nullptr;
    QTRY_VERIFY((mute = inside(tile, QStringLiteral("muteButton"))));
    app.click(app.centreOf(mute));
    QTRY_VERIFY(stateOf(tile)->muted());
    QTest::qWait(200);
    QCOMPARE(int(app.log().filter(QStringLiteral("ContentView focus")).size()), focusChanges);
}

void TestTileWindow::playerKeys_data()
{
    QTest::addColumn<QString>("chord");
    // The pointer over the second tile, or over no tile (the first one was clicked last).
    QTest::addColumn<bool>("overSecond");
    QTest::addColumn<QString>("effect");
    QTest::addColumn<double>("value");

    QTest::newRow("Right, pointer on a tile") << "Right" << true << "position" << 41.0;
    QTest::newRow("Left, last clicked") << "Left" << false << "position" << 31.0;
    QTest::newRow("shift+Right") << "shift+Right" << true << "position" << 96.0;
    QTest::newRow("shift+Left") << "shift+Left" << false << "position" << 0.0;
    QTest::newRow("7") << "7" << true << "position" << 84.0;
    QTest::newRow("Home") << "Home" << false << "position" << 0.0;
    QTest::newRow("End") << "End" << true << "position" << 120.0;
    QTest::newRow("Down") << "Down" << true << "volume" << 95.0;
    QTest::newRow("Up at the top") << "Up" << false << "volume" << 100.0;
    QTest::newRow("m") << "m" << false << "muted" << 1.0;
    QTest::newRow("f") << "f" << true << "fullscreen" << 1.0;
    QTest::newRow("F1") << "F1" << false << "help" << 1.0;
    QTest::newRow("ctrl+?") << "ctrl+question" << false << "help" << 1.0;
}

void TestTileWindow::playerKeys()
{
    QFETCH(QString, chord);
    QFETCH(bool, overSecond);
    QFETCH(QString, effect);
    QFETCH(double, value);

    AppWindow app;
    QVERIFY2(startWith(app, clips(2, {320, 180}, 120)), qPrintable(app.failure()));
    const QList<QQuickItem *> tiles = tilesOf(app);
    // Both paused at 30 % (36 s), so that the positions stay where the keys put them.
    app.key(QStringLiteral("space"));
    QTRY_VERIFY(!stateOf(tiles[0])->playing() && !stateOf(tiles[1])->playing());
    for (QQuickItem *tile : tiles) {
        app.click(bareSpotOf(tile));
        app.key(QStringLiteral("3"));
    }
    // The first tile clicked last: its border shows it once the pointer has left.
    app.click(bareSpotOf(tiles[0]));
    const auto atStart = [&](int i) { return qAbs(stateOf(tiles[i])->position() - 36) < 1; };
    QTRY_VERIFY(atStart(0) && atStart(1));
    if (overSecond) {
        app.move(bareSpotOf(tiles[1]));
    } else {
        app.move(app.centreOf(app.item(QStringLiteral("addVideoButton"))));
        const QRect first = sceneRect(tiles[0]);
        QTRY_VERIFY(isHighlight(app.grab().pixel(first.center().x(), first.top())));
    }
    PlayerState *target = stateOf(tiles[overSecond ? 1 : 0]);
    PlayerState *other = stateOf(tiles[overSecond ? 0 : 1]);

    app.key(chord);
    if (effect == QLatin1String("position")) {
        QTRY_VERIFY(qAbs(target->position() - value) < 1.5);
        QVERIFY(qAbs(other->position() - 36) < 1);
    } else if (effect == QLatin1String("volume")) {
        QTRY_COMPARE(target->videoMeta()->volume(), float(value));
        QCOMPARE(other->videoMeta()->volume(), 100.0f);
    } else if (effect == QLatin1String("muted")) {
        QTRY_VERIFY(target->muted());
        QVERIFY(!other->muted());
    } else if (effect == QLatin1String("fullscreen")) {
        QTRY_COMPARE(app.window()->visibility(), QWindow::FullScreen);
        app.key(QStringLiteral("Escape"));
        QTRY_VERIFY(app.window()->visibility() != QWindow::FullScreen);
    } else {
        auto *help = app.window()->findChild<QWindow *>(QStringLiteral("helpWindow"));
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
    }
}

void TestTileWindow::dragsLightUpTheirTarget()
{
    AppWindow app;
    QVERIFY2(startWith(app, clips(2, {320, 180}, 30)), qPrintable(app.failure()));
    QList<QQuickItem *> tiles = tilesOf(app);
    const QUuid first = stateOf(tiles[0])->videoMeta()->id();

    // A file dragged over the window lights the window up until it leaves.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(m_media.directory() + QStringLiteral("/x.mp4"))});
    const QPoint middle(app.window()->width() / 2, app.window()->height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(app.window(), &enter);
    // A drag left hanging would hold the next window's pointer.
    auto leaveAnyway = qScopeGuard([&] {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(app.window(), &leave);
    });
    QDragMoveEvent over(middle + QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(app.window(), &over);
    // The window's edge beside the tiles.
    const QPoint edge(2, sceneRect(tiles[0]).bottom());
    QTRY_VERIFY(isHighlight(app.grab().pixel(edge)));
    leaveAnyway.dismiss();
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(app.window(), &leave);
    QTRY_VERIFY(!isHighlight(app.grab().pixel(edge)));

    // A tile dragged over another lights the target up; dropped on the target's control bar
    // it swaps the two. The drag runs its own event loop until the drop, so the pointer is
    // moved by one xdotool run in the background and a timer watches the target meanwhile.
    const QPoint from = app.window()->mapToGlobal(bareSpotOf(tiles[0]));
    const QPoint to = app.window()->mapToGlobal(app.centreOf(tiles[1]));
    QStringList script{QStringLiteral("mousemove"), QString::number(from.x()),
                       QString::number(from.y()), QStringLiteral("mousedown"), QStringLiteral("1")};
    for (int step = 1; step <= 10; ++step) {
        const QPoint at = from + (to - from) * step / 10;
        script << QStringLiteral("sleep") << QStringLiteral("0.1") << QStringLiteral("mousemove")
               << QString::number(at.x()) << QString::number(at.y());
    }
    script << QStringLiteral("sleep") << QStringLiteral("1.5") << QStringLiteral("mouseup")
           << QStringLiteral("1");
    const QRect target = sceneRect(tiles[1]);
    bool lit = false;
    QTimer watch;
    watch.setInterval(100);
    connect(&watch, &QTimer::timeout, this, [&] {
        lit = lit || isHighlight(app.grab().pixel(target.left() + 2, target.center().y()));
    });
    watch.start();
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), script);
    QTRY_COMPARE_WITH_TIMEOUT(app.layoutState()->videoMetas().value(1)->id(), first, 10000);
    watch.stop();
    if (xdotool.state() != QProcess::NotRunning)
        QVERIFY(xdotool.waitForFinished(5000));
    QVERIFY2(lit, "the target tile did not light up under the drag");
}

void TestTileWindow::readableAndCalm_data()
{
    QTest::addColumn<QString>("check");
    QTest::newRow("title backdrop") << "backdrop";
    QTest::newRow("no tooltip when the pointer crosses the title") << "tooltip";
    QTest::newRow("resize stretches the tiles at once") << "resize";
    QTest::newRow("more menu's icons visible") << "more";
}

void TestTileWindow::readableAndCalm()
{
    QFETCH(QString, check);

    AppWindow app;
    const bool narrow = check == QLatin1String("more");
    QVERIFY2(
        startWith(app,
                  clips(1, narrow ? QSize(180, 320) : QSize(320, 180), 30, ClipPattern::Quadrants),
                  narrow ? QSize(640, 480) : QSize()),
        qPrintable(app.failure()));
    QQuickItem *tile = tilesOf(app).value(0);
    const QString title = stateOf(tile)->videoMeta()->title();

    if (check == QLatin1String("backdrop")) {
        // Red ground under the title: the backdrop darkens it around the letters.
        app.move(bareSpotOf(tile));
        QQuickItem *label = nullptr;
        QTRY_VERIFY((label = inside(tile, QStringLiteral("title"))));
        const qreal padding = label->property("padding").toReal();
        const QPoint spot = label->mapToScene(QPointF(padding - 3, label->height() / 2)).toPoint();
        QTRY_VERIFY2(qRed(app.grab().pixel(spot)) < 170,
                     qPrintable(QString::number(app.grab().pixel(spot), 16)));
    } else if (check == QLatin1String("tooltip")) {
        app.move(bareSpotOf(tile));
        QQuickItem *label = nullptr;
        QTRY_VERIFY((label = inside(tile, QStringLiteral("title"))));
        app.move(app.centreOf(label));
        QTest::qWait(1200);
        QVERIFY2(!popupItemWithText(app, title), "a tooltip for a title shown whole");
        app.doubleClick(bareSpotOf(tile));
        QTRY_COMPARE(app.window()->visibility(), QWindow::FullScreen);
        QTest::qWait(500);
        QVERIFY(!popupItemWithText(app, title));
        app.key(QStringLiteral("Escape"));
        QTRY_VERIFY(app.window()->visibility() != QWindow::FullScreen);
    } else if (check == QLatin1String("resize")) {
        // As a drag of the window's edge: many small steps, each sooner than the search.
        QSize size = app.window()->size();
        for (int step = 0; step < 6; ++step) {
            size += QSize(40, 0);
            resize(app, size);
            QTest::qWait(40);
        }
        // Read at once: the search waits until the resize has settled.
        QTRY_COMPARE(app.window()->size(), size);
        const QRect rect = sceneRect(tile);
        QVERIFY2(rect.right() >= size.width() - 3,
                 qPrintable(
                     QStringLiteral("tile ends at %1 of %2").arg(rect.right()).arg(size.width())));
        // Once the resize settles the search lays the tiles out for the new size.
        QTRY_VERIFY(qAbs(tile->width() / tile->height() - 16.0 / 9.0) < 0.02);
    } else {
        app.move(bareSpotOf(tile));
        QQuickItem *more = nullptr;
        QTRY_VERIFY((more = inside(tile, QStringLiteral("moreButton"))));
        app.click(app.centreOf(more));
        QQuickItem *loop = nullptr;
        QTRY_VERIFY((loop = popupItemWithText(app, QStringLiteral("Loop"))));
        // The loop icon stands out from the menu's ground.
        QTest::qWait(300);
        const QRect rect = sceneRect(loop);
        const QImage image = app.grab();
        const int ground = qGray(image.pixel(rect.right() - 3, rect.bottom() - 2));
        const QRect icon(rect.left(), rect.top(), rect.height(), rect.height());
        const double visible = AppWindow::share(
            image, icon, [ground](QRgb pixel) { return qAbs(qGray(pixel) - ground) > 100; });
        QVERIFY2(visible > 0.03, qPrintable(QString::number(visible)));
    }
}

QTEST_MAIN(TestTileWindow)
#include "tst_tilewindow.moc"
