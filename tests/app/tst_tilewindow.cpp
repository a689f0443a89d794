// The real window on the real engine, driven by pointer and keys through the X server as a
// user drives it: every dialog, menu and window it offers, and the tiles. Rows share a window where
// what they leave behind does not matter to the next one: each setup is started once, in the order
// the rows ask for it. Playlist files open in the window in place of the playlist and in its
// order. A window closed as a user closes it comes back on the next start without arguments.
// The open-by-link dialog keeps credentials with their host and drops the work of a closed one.

#include "appwindow.h"
#include "audiooutput.h"
#include "contentcontroller.h"
#include "credentialstore.h"
#include "layoutstate.h"
#include "livereconnection.h"
#include "media.h"
#include "mediagenerator.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "playerstate.h"
#include "playlistreader.h"
#include "rtsptestserver.h"
#include "sessionstore.h"
#include "testhttpserver.h"
#include "videometadata.h"
#include "viewstate.h"

#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using namespace marquetrix;
using namespace marquetrix::test;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

bool write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

PlayerState *stateOf(QQuickItem *tile)
{
    auto *view = tile->property("playerView").value<QQuickItem *>();
    return view->property("playerState").value<PlayerState *>();
}

// A point in a tile that no control of its bar covers: below the centred row.
QPoint bareSpotOf(const QQuickItem *tile)
{
    const QRect rect = AppWindow::rectOf(tile);
    return {rect.center().x(), rect.top() + rect.height() * 7 / 8};
}

// Shows the tile's bar as the pointer does; the item of that name on it, or null.
QQuickItem *onBar(AppWindow *app, QQuickItem *tile, const QString &name)
{
    app->move(bareSpotOf(tile));
    QQuickItem *item = nullptr;
    return QTest::qWaitFor([&] { return (item = AppWindow::inside(tile, name)) != nullptr; })
               ? item
               : nullptr;
}

bool isHighlight(QRgb pixel)
{
    return AppWindow::near(pixel, QColor(0x3d, 0xae, 0xe9), 40);
}

// Files (or a tile's id) dragged over the window and, if `drop`, let go there.
void dragOver(QQuickWindow *window, QMimeData *data, bool drop)
{
    const QPoint middle(window->width() / 2, window->height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent dropped(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    if (drop)
        QCoreApplication::sendEvent(window, &dropped);
}


QString textOf(const AppWindow &app, const char *name)
{
    const QQuickItem *item = app.item(QLatin1String(name));
    return item ? item->property("text").toString() : u"<no %1>"_s.arg(name);
}

bool dialogShown(const AppWindow &app)
{
    return app.window()->findChild<QObject *>(u"openUrlSlot"_s)->property("opened").toBool();
}

// Ctrl+Shift+O, then the pointer into the link field.
bool showDialog(AppWindow &app)
{
    app.key(u"ctrl+shift+o"_s);
    if (!QTest::qWaitFor([&] { return dialogShown(app); }, 5000))
        return false;
    app.click(app.centreOf(app.item(u"videoUrlField"_s)));
    return true;
}

} // namespace

class TestTileWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationVersion("1.2.3");
    }

    void cleanupTestCase() { m_app.reset(); }

    void everyDialogOpensAndCloses()
    {
        // The update check reads a feed served on 127.0.0.1; the settings start afresh.
        QVERIFY(write(
            m_media.directory() + "/appcast.xml",
            "<rss xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'><channel>"
            "<item><enclosure url='https://e.org/m.tar.xz' sparkle:shortVersionString='9.0'/>"
            "</item></channel></rss>"));
        TestHttpServer http(m_media.directory());
        QVERIFY(http.start());
        qputenv("MARQUETRIX_APPCAST_URL", http.url("appcast.xml").toEncoded());
        QSettings settings("Marquetrix", "Marquetrix");
        settings.clear();
        AppWindow *app = window("empty");
        qunsetenv("MARQUETRIX_APPCAST_URL");
        QVERIFY(app);
        const auto choose = [&](const QString &menu, const QString &entry) {
            QQuickItem *item = app->menuEntry(menu, entry);
            QVERIFY2(item, qPrintable(entry));
            app->click(app->centreOf(item));
        };
        const auto shown = [&](const char *name) {
            return app->window()->findChild<QObject *>(name)->property("visible").toBool();
        };
        app->key("space"); // With no video, pause does nothing.
        // The file dialog from the menu's key, the welcome link and the toolbar's menu.
        app->key("ctrl+o");
        QTRY_VERIFY(shown("fileDialog"));
        app->key("Escape");
        QTRY_VERIFY(!shown("fileDialog"));
        app->click(app->centreOf(app->item("welcomeOpenFiles")));
        QTRY_VERIFY(shown("fileDialog"));
        choose("", "Cancel");
        QTRY_VERIFY(!shown("fileDialog"));
        app->click(app->centreOf(app->item("addVideoButton")));
        choose("", "Open Files");
        QTRY_VERIFY(shown("fileDialog"));
        choose("", "Cancel");
        QTRY_VERIFY(!shown("fileDialog"));

        // The open-by-link dialog: a blank typed into its field is text, not the pause key (nor
        // was the one pressed before).
        choose("&File", "Open URL");
        QQuickItem *field = nullptr;
        QTRY_VERIFY((field = app->item("videoUrlField")));
        app->click(app->centreOf(field));
        app->type("a b");
        QTRY_COMPARE(field->property("text").toString(), QStringLiteral("a b"));
        QVERIFY(!app->viewState()->globalPause());
        app->click(app->centreOf(app->item("cancelButton")));
        QTRY_VERIFY(!app->item("videoUrlField"));

        // The layout settings take effect at once and are kept; Return closes them.
        choose("&Layout", "Settings");
        QQuickItem *screenUsage = nullptr;
        QTRY_VERIFY((screenUsage = app->item("algorithm0")));
        QVERIFY(app->item("algorithm1")->property("checked").toBool());
        app->click(screenUsage->mapToScene(QPointF(10, screenUsage->height() / 2)).toPoint());
        QTRY_VERIFY(screenUsage->property("checked").toBool());
        QCOMPARE(settings.value("layoutAlgorithm"), QVariant(0));
        app->key("Return");
        QTRY_VERIFY(!app->viewState()->layoutSettingsVisible());

        // The update check tells what the feed offers.
        choose("&Help", "Check for Updates\u2026");
        QQuickItem *message = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((message = app->item("updateMessage")), 10000);
        QCOMPARE(message->property("text").toString(),
                 "Marquetrix 9.0 is available; you have 1.2.3.");
        choose("", "OK");
        QTRY_VERIFY(!app->item("updateMessage"));

        // The About window, closed through the window manager; asked again, the same one shows.
        QWindow *about = nullptr;
        for (int time = 0; time < 2; ++time) {
            choose("&Help", "About Marquetrix");
            QWindow *up = nullptr;
            const auto aboutUp = [&] {
                for (QWindow *window : QGuiApplication::topLevelWindows())
                    up =
                        window->title() == u"About Marquetrix" && window->isExposed() ? window : up;
                return up && up->isActive();
            };
            QTRY_VERIFY(aboutUp());
            QCOMPARE(up, about ? about : up);
            about = up;
            const auto *version = about->findChild<QQuickItem *>("aboutVersion");
            QCOMPARE(version->property("text").toString(), "Version 1.2.3");
            app->key("alt+F4");
            QTRY_VERIFY(!about->isVisible());
        }
        // A clip chosen by typing its path in the dialog plays in a tile, with what that loads.
        app->key("ctrl+o");
        QTRY_VERIFY(shown("fileDialog"));
        app->key("ctrl+l");
        app->type(m_media.clip({.size = {320, 180}, .seconds = 10}));
        app->key("Return");
        QTRY_COMPARE(app->tileCount(), 1);
        QTRY_VERIFY(!shown("fileDialog"));
        QVERIFY2(app->log().filter(QRegularExpression("is not installed|Failed to load")).isEmpty(),
                 qPrintable(app->log().join('\n')));
    }

    // German: the welcome view, the menus with their keys, the commands' titles. Qt reads the
    // environment's language once per process; the default locale stands in for it.
    void speaksTheDesktopLanguage()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        AppWindow *app = window("german");
        QLocale::setDefault(QLocale::system());
        QVERIFY(app && !app->itemsWithText("Hier können Sie neue Videos hinzufügen").isEmpty());
        QVERIFY(app->menuEntry("&Datei", "Dateien öffnen") && app->popupItem("Strg+O"));
        app->key("Escape");
        QVERIFY(app->menuEntry("&Wiedergabe", "Alle anhalten"));
    }

    void playerKeys_data()
    {
        QTest::addColumn<QString>("chord");
        // The pointer over the second tile, or over no tile (the first one was clicked last).
        QTest::addColumn<bool>("overSecond");
        QTest::addColumn<QString>("effect");
        QTest::addColumn<double>("value");
        // One window for all rows, in this order: volume and mute carry over to the next rows.
        QTest::newRow("Right, pointer on a tile") << "Right" << true << "position" << 41.0;
        QTest::newRow("Left, last clicked") << "Left" << false << "position" << 31.0;
        QTest::newRow("shift+Right") << "shift+Right" << true << "position" << 96.0;
        QTest::newRow("shift+Left") << "shift+Left" << false << "position" << 0.0;
        QTest::newRow("7") << "7" << true << "position" << 84.0;
        QTest::newRow("Home") << "Home" << false << "position" << 0.0;
        QTest::newRow("Down") << "Down" << true << "volume" << 95.0;
        QTest::newRow("Up at the top") << "Up" << false << "volume" << 100.0;
        QTest::newRow("m") << "m" << false << "muted" << 1.0;
        QTest::newRow("f") << "f" << true << "fullscreen" << 1.0;
        QTest::newRow("F1") << "F1" << false << "help" << 1.0;
        QTest::newRow("ctrl+?") << "ctrl+question" << false << "help" << 1.0;
        QTest::newRow("End") << "End" << true << "position" << 120.2;
    }

    void playerKeys()
    {
        QFETCH(QString, chord);
        QFETCH(bool, overSecond);
        QFETCH(QString, effect);
        QFETCH(double, value);
        AppWindow *app = window("shapes");
        QVERIFY(app);
        const QList<QQuickItem *> tiles = app->tiles();
        PlayerState *target = stateOf(tiles[overSecond ? 1 : 0]);
        PlayerState *other = stateOf(tiles[overSecond ? 0 : 1]);
        // Paused, so that positions stay where the keys put them; the first tile clicked last.
        if (!app->viewState()->globalPause()) {
            app->key("space");
            app->click(bareSpotOf(tiles[0]));
        }
        QTRY_VERIFY(!target->playing() && !other->playing());
        app->move(bareSpotOf(tiles[overSecond ? 1 : 0]));
        if (effect == u"position") {
            app->key("3");
            QTRY_VERIFY(qAbs(target->position() - 36) < 1);
        }
        // Without a tile under the pointer, the border shows which one the keys go to.
        if (!overSecond) {
            app->move(app->centreOf(app->item("addVideoButton")));
            const QRect first = AppWindow::rectOf(tiles[0]);
            QTRY_VERIFY(isHighlight(app->grab().pixel(first.center().x(), first.top())));
        }
        auto *help = app->window()->findChild<QWindow *>("helpWindow");
        QVERIFY(help && !help->isVisible());
        const float otherAt = other->position();
        const float otherVolume = other->videoMeta()->volume();

        app->key(chord);
        if (effect == u"position") {
            QTRY_VERIFY(qAbs(target->position() - value) < 1.5);
            QCOMPARE(other->position(), otherAt);
        } else if (effect == u"volume") {
            QTRY_COMPARE(target->videoMeta()->volume(), float(value));
            QCOMPARE(other->videoMeta()->volume(), otherVolume);
        } else if (effect == u"muted") {
            QTRY_VERIFY(target->muted());
            QVERIFY(!other->muted());
        } else if (effect == u"fullscreen") {
            QTRY_COMPARE(app->window()->visibility(), QWindow::FullScreen);
            QTRY_VERIFY(app->item("fullscreenBanner"));
            app->key("Escape");
            QTRY_VERIFY(app->window()->visibility() != QWindow::FullScreen);
        } else {
            QTRY_VERIFY(help->isVisible());
            help->close();
            QTRY_VERIFY(app->controller()->isFocused());
        }
    }

    void menusAnswerPointerAndKeys()
    {
        AppWindow *app = window("shapes");
        QVERIFY(app);
        ViewState *view = app->viewState();
        // The settings open from the Layout menu every time, and Escape closes them.
        for (int attempt = 0; attempt < 3; ++attempt) {
            QQuickItem *settings = app->menuEntry("&Layout", "Settings");
            QVERIFY(settings);
            app->click(app->centreOf(settings));
            QTRY_VERIFY2(view->layoutSettingsVisible(), qPrintable(QString::number(attempt)));
            app->key("Escape");
            QTRY_VERIFY(!view->layoutSettingsVisible());
        }
        // One click opens "Add video"; Escape closes it, and the keys are the window's again.
        app->click(app->centreOf(app->item("addVideoButton")));
        QTRY_VERIFY(app->popupItem("Open URL"));
        app->key("Escape");
        QTRY_VERIFY(!app->popupItem("Open URL"));
        QTRY_VERIFY(app->controller()->isFocused());
        const bool paused = view->globalPause();
        app->key("space");
        QTRY_COMPARE(view->globalPause(), !paused);
        // The window-wide commands' titles follow their switches; menus show their keys.
        QQuickItem *pauseAll = app->menuEntry("&Playback", paused ? "Pause all" : "Play all");
        QVERIFY(pauseAll && app->popupItem("Ctrl+T"));
        app->click(app->centreOf(pauseAll));
        QTRY_COMPARE(view->globalPause(), paused);
        app->key("ctrl+t");
        QVERIFY(app->menuEntry("&Playback", "Unmute all"));
        app->key("Escape");
        QTRY_VERIFY(!app->popupItem("Unmute all"));
        app->key("ctrl+t");
        // Shuffle reorders the tiles: three stay in order once in 6 shuffles.
        const auto before = app->layoutState()->videoMetas();
        for (int i = 0; i < 6 && app->layoutState()->videoMetas() == before; ++i)
            app->key("ctrl+l");
        QVERIFY(app->layoutState()->videoMetas() != before);
        // The keys move in menus: Down and Return pick the first item.
        QVERIFY(app->menuEntry("&Help", "Keyboard shortcuts"));
        app->key("Down");
        app->key("Return");
        auto *help = app->window()->findChild<QWindow *>("helpWindow");
        QTRY_VERIFY(help->isVisible());
        help->close();

        // A click on a tile's control leaves the keys with the window.
        QTRY_VERIFY(app->controller()->isFocused());
        QTest::qWait(300);
        const auto focusChanges = app->log().filter("ContentView focus").size();
        QQuickItem *tile = app->tiles().value(0);
        const bool muted = stateOf(tile)->muted();
        QQuickItem *mute = onBar(app, tile, "muteButton");
        QVERIFY(mute);
        app->click(app->centreOf(mute));
        QTRY_COMPARE(stateOf(tile)->muted(), !muted);
        QTest::qWait(200);
        QCOMPARE(app->log().filter("ContentView focus").size(), focusChanges);
    }

    // Only the tile under the pointer, or the one clicked last wherever the pointer is, is heard;
    // its badge shows it, and the tiles' own mute settings come back as they were with every tile
    // heard again.
    void soundFollowsThePointer()
    {
        AppWindow *app = window("shapes");
        QVERIFY(app);
        const QList<QQuickItem *> tiles = app->tiles();
        const auto heard = [&](int index) {
            const AudioOutput *audio =
                stateOf(tiles[index])->videoMeta()->mediaPlayer()->mediaPlayer()->audio();
            return audio && !audio->isMuted();
        };
        // One tile muted by its own setting, with the key.
        app->move(bareSpotOf(tiles[2]));
        const bool lastMuted = stateOf(tiles[2])->muted();
        app->key("m");
        QTRY_COMPARE(stateOf(tiles[2])->muted(), !lastMuted);
        QList<bool> own;
        for (QQuickItem *tile : tiles)
            own << stateOf(tile)->muted();
        for (const QString &mode :
             {u"the Tile Under the Pointer"_s, u"the Focused Tile"_s, u"All Tiles"_s}) {
            QQuickItem *entry = app->menuEntry("&Playback", "Sound from " + mode);
            QVERIFY(entry);
            app->click(app->centreOf(entry));
            for (int over = 0; over < tiles.size(); ++over) {
                if (mode == u"the Focused Tile")
                    app->click(bareSpotOf(tiles[over]));
                app->move(bareSpotOf(tiles[mode == u"the Focused Tile" ? (over + 1) % 3 : over]));
                for (int i = 0; i < tiles.size(); ++i) {
                    const bool alone = mode != u"All Tiles" && i != over;
                    QTRY_VERIFY2(heard(i) == (!own[i] && !alone),
                                 qPrintable(u"%1: tile %2, %3"_s.arg(mode).arg(i).arg(over)));
                    QCOMPARE(stateOf(tiles[i])->muted(), own[i]);
                    QCOMPARE(bool(AppWindow::inside(tiles[i], "soundBadge")),
                             mode != u"All Tiles" && i == over);
                }
            }
        }
    }

    void dragsLightUpTheirTarget()
    {
        AppWindow *app = window("shapes");
        QVERIFY(app);
        QQuickWindow *window = app->window();
        // Two tiles of one shape: only those may trade places.
        QList<QQuickItem *> pair;
        for (QQuickItem *tile : app->tiles()) {
            if (stateOf(tile)->videoMeta()->width() == 320)
                pair << tile;
        }
        QCOMPARE(pair.size(), 2);
        const QUuid first = stateOf(pair[0])->videoMeta()->id();

        // A file dragged over the window lights the window up until it leaves; dropped, it opens.
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_media.clip({.size = {320, 180}, .seconds = 5}))});
        dragOver(window, &files, false);
        const QPoint edge(2, window->height() / 2);
        QTRY_VERIFY(isHighlight(app->grab().pixel(edge)));
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window, &leave);
        QTRY_VERIFY(!isHighlight(app->grab().pixel(edge)));
        const QList<QQuickItem *> before = app->tiles();
        dragOver(window, &files, true);
        QTRY_COMPARE(app->tiles().size(), 4);
        // The tiles already there stay as they are, players and all.
        QCOMPARE(app->tiles().first(3), before);

        // A tile dragged over another lights the target up; dropped there it swaps the two. The
        // drag runs its own event loop until the drop, so the pointer is moved by one xdotool run
        // in the background and a timer watches the target meanwhile.
        const QPoint from = window->mapToGlobal(bareSpotOf(pair[0]));
        const QPoint to = window->mapToGlobal(app->centreOf(pair[1]));
        QString script = QString("mousemove %1 %2 mousedown 1").arg(from.x()).arg(from.y());
        for (int step = 1; step <= 10; ++step) {
            const QPoint at = from + (to - from) * step / 10;
            script += QString(" sleep 0.1 mousemove %1 %2").arg(at.x()).arg(at.y());
        }
        const QRect target = AppWindow::rectOf(pair[1]);
        const auto targetIndex = app->tiles().indexOf(pair[1]);
        bool lit = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            lit = lit || isHighlight(app->grab().pixel(target.left() + 2, target.center().y()));
        });
        watch.start(100);
        QProcess xdotool;
        xdotool.start("xdotool", (script + " sleep 1 mouseup 1").split(' '));
        QTRY_COMPARE_WITH_TIMEOUT(app->layoutState()->videoMetas().value(targetIndex)->id(), first,
                                  10000);
        QVERIFY(xdotool.waitForFinished(5000) || xdotool.state() == QProcess::NotRunning);
        QVERIFY2(lit, "the target tile did not light up under the drag");
    }

    // The title is readable on light video, and no tooltip pops up for a title shown whole as the
    // pointer crosses it, nor lingers after full screen.
    void titleReadableAndCalm()
    {
        AppWindow *app = window("two");
        QVERIFY(app);
        QQuickItem *tile = app->tiles().value(0);
        const QString title = stateOf(tile)->videoMeta()->title();
        QQuickItem *label = onBar(app, tile, "title");
        QVERIFY(label);
        // Red ground under the title: the backdrop darkens it around the letters.
        const qreal padding = label->property("padding").toReal();
        const QPoint spot = label->mapToScene(QPointF(padding - 3, label->height() / 2)).toPoint();
        QTRY_VERIFY2(qRed(app->grab().pixel(spot)) < 170,
                     qPrintable(QString::number(app->grab().pixel(spot), 16)));

        app->move(app->centreOf(label));
        QTest::qWait(1200);
        QVERIFY2(!app->popupItem(title), "a tooltip for a title shown whole");
        app->move(bareSpotOf(tile));
        AppWindow::xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
        QTRY_COMPARE(app->window()->visibility(), QWindow::FullScreen);
        QTest::qWait(500);
        QVERIFY(!app->popupItem(title));
        app->key("Escape");
        QTRY_VERIFY(app->window()->visibility() != QWindow::FullScreen);
    }

    void playAfterTheEndRepeatAllAndFailure()
    {
        AppWindow *app = window("two");
        QVERIFY(app);
        const QList<QQuickItem *> tiles = app->tiles();
        PlayerState *paused = stateOf(tiles.value(0));
        PlayerState *ended = stateOf(tiles.value(1));
        const auto clickPlay = [&](QQuickItem *tile) {
            QQuickItem *play = onBar(app, tile, "playButton");
            QVERIFY(play);
            app->click(app->centreOf(play));
        };
        clickPlay(tiles[0]);
        QTRY_VERIFY(!paused->playing());
        QTRY_VERIFY_WITH_TIMEOUT(ended->videoMeta()->ended() && !ended->playing(), 10000);

        // One click plays on past the moment the old fault paused it again (0.03 to 0.23 s).
        clickPlay(tiles[1]);
        QTRY_VERIFY(ended->position() > 0.3f && ended->position() < 1.5f);
        QTest::qWait(700);
        QVERIFY(ended->playing());
        QTRY_VERIFY_WITH_TIMEOUT(ended->videoMeta()->ended() && !ended->playing(), 10000);
        const float pausedAt = paused->position();

        // Repeat all: the video at its end starts over and loops; the one the user paused stays.
        app->key("ctrl+r");
        QTRY_VERIFY(ended->playing() && ended->repeatEnabled());
        QTest::qWait(1000);
        QVERIFY(!paused->playing());
        QCOMPARE(paused->position(), pausedAt);
        app->key("ctrl+r");
        QTRY_VERIFY(!ended->repeatEnabled());

        // A file that cannot play loses its tile and is named in the notice; a tap dismisses it.
        const QString garbage = m_media.directory() + "/garbage.mp4";
        QVERIFY(write(garbage, QByteArray(200 * 1024, '\x5a')));
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(garbage)});
        dragOver(app->window(), &files, true);
        QQuickItem *notice = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((notice = app->item("failedToast")), 15000);
        QTRY_VERIFY(app->controller()->failureNotice().contains(files.urls()[0].fileName()));
        QCOMPARE(app->tiles(), tiles);
        app->click(app->centreOf(notice));
        QTRY_VERIFY(!app->viewState()->showFailedToOpenAlert());
    }

    void tileActionsStayReachable_data()
    {
        QTest::addColumn<QString>("setup");
        // The bar's button that opens the menu; empty: a right click on the tile.
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("choice");
        QTest::newRow("open menu") << u"two"_s << u"openButton"_s << u"Open File"_s;
        QTest::newRow("context menu: loop") << u"two"_s << QString() << u"Loop"_s;
        QTest::newRow("crop menu") << u"two"_s << u"cropButton"_s << u"Portrait"_s;
        QTest::newRow("context menu: crop") << u"two"_s << QString() << u"Original"_s;
        QTest::newRow("context menu: close") << u"two"_s << QString() << u"Close"_s;
        QTest::newRow("tiny tile: more") << u"tiny"_s << u"moreButton"_s << u"Loop"_s;
    }

    void tileActionsStayReachable()
    {
        QFETCH(QString, setup);
        QFETCH(QString, opener);
        QFETCH(QString, choice);
        AppWindow *app = window(setup);
        QVERIFY(app);
        const QList<QQuickItem *> tiles = app->tiles();
        QQuickItem *tile = *std::min_element(
            tiles.begin(), tiles.end(), [](auto *a, auto *b) { return a->width() < b->width(); });
        PlayerState *state = stateOf(tile);
        const QRect tileRect = AppWindow::rectOf(tile);
        const bool looped = state->repeatEnabled();

        if (opener.isEmpty()) {
            app->click(bareSpotOf(tile), Qt::RightButton);
        } else {
            QQuickItem *button = onBar(app, tile, opener);
            QVERIFY(button);
            // Every button of the bar lies inside the tile, however small, and is named.
            auto *bar =
                AppWindow::inside(tile, "controlsLoader")->property("item").value<QQuickItem *>();
            for (QQuickItem *control : bar->findChildren<QQuickItem *>()) {
                if (!control->inherits("QQuickAbstractButton") || !control->isVisible())
                    continue;
                QVERIFY2(tileRect.contains(AppWindow::rectOf(control)),
                         qPrintable(control->objectName() + " cut off at " +
                                    QString::number(tileRect.width())));
                QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                         qPrintable(control->objectName()));
            }
            app->click(app->centreOf(button));
        }
        // The pointer goes to the menu, as a user's does; the menu stays.
        QQuickItem *item = nullptr;
        if (opener.isEmpty() && choice != u"Loop") { // The context menu's crop is a submenu.
            QTRY_VERIFY((item = app->popupItem("Crop")));
            app->click(app->centreOf(item));
        }
        QTRY_VERIFY((item = app->popupItem(choice)));
        if (opener == u"moreButton") {
            // The loop icon stands out from the menu's ground.
            QTest::qWait(300);
            const QRect rect = AppWindow::rectOf(item);
            const QImage image = app->grab();
            const int ground = qGray(image.pixel(rect.right() - 3, rect.bottom() - 2));
            const double visible =
                AppWindow::share(image, QRect(rect.topLeft(), QSize(rect.height(), rect.height())),
                                 [&](QRgb pixel) { return qAbs(qGray(pixel) - ground) > 100; });
            QVERIFY2(visible > 0.03, qPrintable(QString::number(visible)));
        }
        app->move(app->centreOf(item));
        QTest::qWait(400);
        QVERIFY2((item = app->popupItem(choice)), "the menu went away under the pointer");
        app->click(app->centreOf(item));

        if (choice == u"Close") {
            // The tile goes, the other stays as it is.
            QTRY_COMPARE(app->tiles().size(), tiles.size() - 1);
            QVERIFY(!app->tiles().contains(tile));
            return;
        }
        if (choice == u"Portrait" || choice == u"Original") {
            const bool portrait = choice == u"Portrait";
            QTRY_VERIFY(
                (portrait ? tile->height() / tile->width() : tile->width() / tile->height()) > 1.5);
        } else if (choice == u"Loop") {
            QTRY_COMPARE(state->repeatEnabled(), !looped);
        } else {
            auto *dialog = tile->property("playerView")
                               .value<QObject *>()
                               ->findChild<QObject *>("tileFileDialog");
            QTRY_VERIFY(dialog->property("visible").toBool());
            QTest::qWait(500);
            QVERIFY2(dialog->property("visible").toBool(), "the open panel went with the bar");
            app->key("Escape");
            QTRY_VERIFY(!dialog->property("visible").toBool());
        }
        // The tile is still the same: a crop reshapes it without rebuilding its player.
        QCOMPARE(app->tiles().value(tiles.indexOf(tile)), tile);
        QCOMPARE(stateOf(tile), state);
    }

    // A live stream whose server goes away comes back in its tile once the server is up again,
    // while the file beside it plays on; one that stays away is given up with the notice. An HLS
    // playlist is live while it slides: the engine tells it a length of its window.
    void liveStreamComesBack_data()
    {
        QTest::addColumn<bool>("hls");
        QTest::newRow("rtsp") << false;
        QTest::newRow("hls") << true;
    }
    void liveStreamComesBack()
    {
        QFETCH(bool, hls);
        RtspTestServer rtsp;
        std::optional<TestHttpServer> http;
        const QString clip = m_media.clip({.size = {320, 180}, .seconds = 90});
        // A live HLS stream: the clip as it plays, three one-second segments at a time, opened
        // through a master playlist.
        QVERIFY(write(m_media.directory() + "/master.m3u8",
                      "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=300000\nlive.m3u8\n"));
        QProcess ffmpeg;
        const auto stop = qScopeGuard([&] { ffmpeg.kill(), ffmpeg.waitForFinished(); });
        if (hls)
            ffmpeg.start("ffmpeg",
                         {"-re", "-i", clip, "-c", "copy", "-f", "hls", "-hls_time", "1",
                          "-hls_list_size", "3", "-hls_flags", "delete_segments+temp_file",
                          m_media.directory() + "/live.m3u8"});
        const auto start = [&](quint16 port) {
            if (!hls)
                return rtsp.start({.port = port});
            http.emplace(m_media.directory());
            return http->start(QHostAddress::LocalHost, port) && QTest::qWaitFor([&] {
                       return QFile::exists(m_media.directory() + "/live.m3u8");
                   });
        };
        const auto kill = [&] { hls ? http.reset() : rtsp.kill(); };
        QVERIFY2(start(0), qPrintable(rtsp.failure()));
        const quint16 port = hls ? http->port() : rtsp.port();
        m_app.reset(); // One window at a time.
        qputenv("MARQUETRIX_RECONNECT_LIMIT_SECONDS", "10");
        const auto unset = qScopeGuard([] { qunsetenv("MARQUETRIX_RECONNECT_LIMIT_SECONDS"); });
        AppWindow app;
        QVERIFY2(app.start({(hls ? http->url("master.m3u8") : rtsp.url()).toString(), clip}),
                 qPrintable(app.failure()));
        QTRY_COMPARE_WITH_TIMEOUT(app.tiles().size(), 2, 20000);
        const QList<QQuickItem *> tiles = app.tiles();
        VideoMetadata *live = stateOf(tiles[0])->videoMeta();
        const MediaPlayer *player = live->mediaPlayer()->mediaPlayer();
        PlayerState *file = stateOf(tiles[1]);
        QTRY_VERIFY_WITH_TIMEOUT(player->time().value_or(0) > 1000 && file->position() > 1, 20000);
        const float fileFrom = file->position();
        QElapsedTimer span;
        span.start();
        kill();
        QTRY_VERIFY_WITH_TIMEOUT(AppWindow::inside(tiles[0], "reconnectNotice"), 5000);
        QTest::qWait(5000);
        QVERIFY2(start(port), qPrintable(rtsp.failure()));
        const auto bound = LiveReconnection::delayBefore(live->reconnectAttempt()) + 2s;
        QElapsedTimer back;
        back.start();
        QTRY_VERIFY_WITH_TIMEOUT(!live->reconnectAttempt() && player->time().value_or(0) > 300,
                                 40000);
        qInfo() << "Back" << back.elapsed() << "ms after the restart; bound" << bound.count();
        QVERIFY(std::chrono::milliseconds(back.elapsed()) < bound);
        QVERIFY(!AppWindow::inside(tiles[0], "reconnectNotice"));
        // No length to seek in, whatever window the engine sees.
        QCOMPARE(live->mediaLength(), 0.0f);
        QCOMPARE(app.tiles(), tiles);
        // The file played on all along, give or take a moment.
        QVERIFY(file->playing() && file->position() - fileFrom > float(span.elapsed()) / 1000 - 2);

        if (hls)
            return; // Giving up is the same for every live source.
        // Gone for good: a limit of a second gives up at the first attempt that fails.
        qputenv("MARQUETRIX_RECONNECT_LIMIT_SECONDS", "1");
        kill();
        QTRY_VERIFY_WITH_TIMEOUT(app.viewState()->showFailedToOpenAlert(), 40000);
        QCOMPARE(app.tileCount(), 1);
    }

    // As a drag of the window's edge: many small steps, each sooner than the search. The row of
    // portrait tiles spans the window's width before, while and after.
    void resizeStretchesTheTilesAtOnce()
    {
        AppWindow *app = window("tiny");
        QVERIFY(app);
        const auto right = [&] {
            int edge = 0;
            for (QQuickItem *tile : app->tiles())
                edge = std::max(edge, AppWindow::rectOf(tile).right());
            return edge;
        };
        QVERIFY(right() >= app->window()->width() - 4);
        const QSize start = app->window()->size();
        for (int step = 1; step <= 6; ++step)
            app->resize(start + QSize(40 * step, 0));
        // Read at once: the search waits until the resize has settled.
        QTRY_COMPARE(app->window()->size(), start + QSize(240, 0));
        QVERIFY2(right() >= app->window()->width() - 4, qPrintable(QString::number(right())));
        // Once the resize settles the search lays the tiles out for the new size.
        QQuickItem *tile = app->tiles().value(0);
        QTRY_VERIFY(qAbs(tile->width() / tile->height() - 180.0 / 320) < 0.02);
    }

    // A playlist naming two clips, itself, and another playlist that names the first again:
    // each clip opens once, in order, and what follows the playlist opens after its items. An
    // HLS stream's .m3u8 is no list of videos: it plays as one. Lines with control characters,
    // tracks without a location and a list that breaks off are skipped; CRLF and blanks are not
    // part of a name.
    void playlistOpensItsItemsInPlace()
    {
        const QString hls = m_media.hlsPlaylist();
        const QString clip = m_media.clip({.size = {320, 180}});
        QVERIFY2(!hls.isEmpty() && !clip.isEmpty(), qPrintable(m_media.failure()));
        const QString dir = m_media.directory();
        for (const char *name :
             {"/first.mp4", "/second.mp4", "/after.mp4", "/inner.mp4", "/b\x01.mp4"})
            QVERIFY(QFile::copy(clip, dir + name));
        QVERIFY(write(dir + "/list.m3u8", "#EXTM3U\r\n#EXTINF:1,First\r\nfirst.mp4\r\n  " +
                                              QFile::encodeName(dir) +
                                              "/second.mp4 \r\nb\x01.mp4\r\n\r\nlist.m3u8\r\n"
                                              "nested.xspf\r\n"));
        QVERIFY(write(dir + "/nested.xspf",
                      "<playlist><trackList><track><location>inner.mp4</location></track>"
                      "<track><title>none</title></track>"
                      "<track><location>list.m3u8</location></track><track><locat"));

        // 10,000 entries do not become 10,000 attempts: the window's worth, and a notice.
        QByteArray huge;
        for (int i = 0; i < 10000; ++i)
            huge += "missing-" + QByteArray::number(i) + ".mp4\n";
        QVERIFY(write(dir + "/huge.m3u", huge));

        m_app.reset(); // One window at a time.
        AppWindow app;
        QVERIFY2(app.start({dir + "/huge.m3u", dir + "/list.m3u8", hls, dir + "/after.mp4"}),
                 qPrintable(app.failure()));
        QTRY_VERIFY(app.controller()->failureNotice().contains("first 64 of 10000"));
        // 64 missing files, and four notes of skipped entries (the list is read three times).
        QTRY_VERIFY(app.controller()->failureNotice().contains("and 65 more"));
        QVERIFY(!app.log().filter("nested.xspf: 2 entries skipped").isEmpty());
        QTRY_COMPARE(app.tileCount(), 5);
        QCOMPARE(app.titles(), QStringList({"first.mp4", "second.mp4", "inner.mp4",
                                            QFileInfo(hls).fileName(), "after.mp4"}));
    }

    // Credentials stay with their host, each showing starts fresh, closing the dialog while a
    // page resolves drops the resolve, a page's title is only text, and the dialog hides the video
    // behind it.
    void credentialsAndClosingWhileLoading()
    {
        m_app.reset();
        const QString clip =
            m_media.clip({.size = {640, 360}, .seconds = 30, .pattern = ClipPattern::Quadrants});
        QVERIFY2(!clip.isEmpty(), qPrintable(m_media.failure()));
        // Stored for a host where nothing listens; the link then moves to a server on another.
        storeCredentials(
            {.server = u"127.0.0.3"_s, .username = u"alice"_s, .password = u"first-host-secret"_s});
        TestHttpServer other;
        other.answer({.status = 404});
        QVERIFY(other.start(QHostAddress(u"127.0.0.2"_s)));
        TestHttpServer media(m_media.directory());
        QVERIFY(media.start());
        // A resolver and its pages on one server: POSTs resolve, GETs are pages. The slow page's
        // answer comes after the loading text has turned twice.
        TestHttpServer resolver;
        QVERIFY(resolver.start());
        const QByteArray title =
            "x<b>bold</b><img src=\"" + resolver.url(u"/probe.png"_s).toEncoded() + "\">";
        resolver.setScript([title, clip = media.url(QFileInfo(clip).fileName()).toEncoded()](
                               const TestHttpServer::Request &request) {
            if (request.method == "POST")
                return TestHttpServer::Answer{.body = R"({"urls":[")" + clip + R"("]})",
                                              .delayMs = request.body.contains("slow") ? 3500 : 0};
            return TestHttpServer::Answer{.status = request.target.startsWith("/page") ? 200 : 404,
                                          .body = "<html><title>" + title + "</title></html>",
                                          .contentType = "text/html"};
        });
        qputenv("MARQUETRIX_RESOLVER_URL", resolver.url(u"/resolve"_s).toEncoded());

        AppWindow app;
        QVERIFY2(app.start(), qPrintable(app.failure()));
        QStringList titles;
        QObject::connect(app.layoutState(), &LayoutState::videoMetasChanged, app.window(), [&] {
            for (const auto &meta : app.layoutState()->videoMetas()) {
                titles.append(meta->title());
                QObject::connect(meta.get(), &VideoMetadata::titleChanged, app.window(),
                                 [&titles, meta = meta.get()] { titles.append(meta->title()); });
            }
        });
        QVERIFY(showDialog(app));
        app.type(u"http://127.0.0.3:8801/clip.mp4"_s);
        QTRY_COMPARE(textOf(app, "usernameField"), u"alice"_s);
        QCOMPARE(textOf(app, "passwordField"), u"first-host-secret"_s);
        app.key(u"ctrl+a"_s);
        app.type(other.url(u"/clip.mp4"_s).toString());
        QTRY_COMPARE(textOf(app, "usernameField"), QString());
        app.key(u"Return"_s);
        // Its tile may be gone again by now: the server answers 404.
        QTRY_VERIFY_WITH_TIMEOUT(!other.requests().isEmpty(), 10000);
        for (const auto &request : other.requests())
            QVERIFY2(!request.headers.contains("authorization"), request.headers["authorization"]);

        // Typed credentials stay while the host stays, and go with a closed dialog.
        QVERIFY(showDialog(app));
        QCOMPARE(textOf(app, "videoUrlField"), QString());
        QCOMPARE(textOf(app, "passwordField"), QString());
        app.type(u"http://127.0.0.4/a.mp4"_s);
        app.click(app.centreOf(app.item(u"passwordField"_s)));
        app.type(u"typed"_s);
        app.click(app.centreOf(app.item(u"videoUrlField"_s)));
        app.key(u"End"_s);
        app.type(u"?b=1"_s);
        QCOMPARE(textOf(app, "passwordField"), u"typed"_s);
        app.key(u"Escape"_s);
        QTRY_VERIFY(!dialogShown(app));
        QVERIFY(showDialog(app));
        QCOMPARE(textOf(app, "videoUrlField"), QString());
        QCOMPARE(textOf(app, "passwordField"), QString());

        // The tile of the missing clip has gone meanwhile. A link without a path is refused where
        // it was typed.
        QTRY_COMPARE_WITH_TIMEOUT(app.tileCount(), 0, 10000);
        app.type(u"https://example.com"_s);
        app.key(u"Return"_s);
        QTRY_COMPARE(textOf(app, "errorLine"),
                     u"URL is not valid. Please verify that it is correct and try again."_s);
        app.key(u"ctrl+a"_s);
        app.type(resolver.url(u"/page-slow"_s).toString());
        app.key(u"Return"_s);
        QTRY_COMPARE(textOf(app, "openButton"), u"Loading..."_s);
        QVERIFY(!app.item(u"videoUrlField"_s)->isEnabled());
        QVERIFY(!app.item(u"cancelButton"_s)->isEnabled());
        QVERIFY(!app.item(u"errorLine"_s));
        QString shown;
        QTRY_VERIFY_WITH_TIMEOUT(!(shown = textOf(app, "loadingLabel")).isEmpty(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(textOf(app, "loadingLabel") != shown, 3000);
        app.key(u"Escape"_s);
        QTRY_VERIFY(!dialogShown(app));
        // Long after the resolver answered (half a second after the second text), no tile came of it.
        QTest::qWait(2000);
        QCOMPARE(app.tileCount(), 0);
        QVERIFY(showDialog(app));
        QCOMPARE(textOf(app, "openButton"), u"Open URL"_s);
        QVERIFY(app.item(u"videoUrlField"_s)->isEnabled());
        QCOMPARE(textOf(app, "videoUrlField"), QString());
        qunsetenv("MARQUETRIX_RESOLVER_URL");

        QUrl link = resolver.url(u"/page"_s);
        link.setUserInfo(u"user:page-secret"_s);
        app.type(link.toString());
        app.key(u"Return"_s);
        QTRY_COMPARE_WITH_TIMEOUT(titles.value(titles.size() - 1), QString::fromUtf8(title), 15000);
        for (const QString &seen : std::as_const(titles))
            QVERIFY2(!seen.contains(u"page-secret"_s), qPrintable(seen));
        // The pointer on the tile's title, until its tooltip (0.8 s) has long been shown.
        app.move(app.centreOf(app.window()->contentItem()));
        QQuickItem *label = nullptr;
        QTRY_VERIFY((label = app.itemsWithText(QString::fromUtf8(title)).value(0)));
        app.move(app.centreOf(label));
        QTest::qWait(2000);
        for (const auto &request : resolver.requests())
            QVERIFY2(!request.target.contains("probe.png"), request.target);

        app.move(QPoint(1, 1));
        const auto strong = [](QRgb p) {
            return qMax(qRed(p), qMax(qGreen(p), qBlue(p))) - qMin(qRed(p), qMin(qGreen(p), qBlue(p))) >
                   60;
        };
        QTRY_VERIFY_WITH_TIMEOUT(AppWindow::share(app.grab(),
                                                  app.window()->contentItem()->boundingRect().toRect(),
                                                  strong) > 0.3,
                                 20000);
        QVERIFY(showDialog(app));
        QTest::qWait(500);
        // From the link field down to the buttons, across the form: nothing of the video shows
        // through, only the focus frame and the buttons have colour.
        const QQuickItem *field = app.item(u"videoUrlField"_s);
        const QRect form(field->mapToScene(QPointF(0, 0)).toPoint(),
                         app.item(u"cancelButton"_s)
                             ->mapToScene(QPointF(0, app.item(u"cancelButton"_s)->height()))
                             .toPoint());
        const QRect area(form.left(), form.top(), int(field->width()), form.height());
        const double coloured = AppWindow::share(app.grab(), area, strong);
        QVERIFY2(coloured < 0.05, qPrintable(QString::number(coloured)));
    }

    // Three clips, one cropped, one looping, one moved on, all paused: saved as a playlist, then
    // the window closed with Ctrl+Q and started again without arguments. Both give back the same
    // tiles in the same order with the same settings; ffmpeg reads the playlist's first entry.
    // Once cleared, the session stays empty. A session file that does not read is set aside, and
    // the window starts without tiles.
    void sessionAndPlaylistComeBack()
    {
        m_app.reset();
        QStringList paths;
        for (const QSize size : {QSize(320, 180), QSize(180, 320), QSize(320, 180)})
            paths << m_media.clip({.size = size, .seconds = 30 + 0.1 * paths.size(), .fps = 10});
        QVERIFY2(!paths.contains(QString()), qPrintable(m_media.failure()));
        SessionStore().clear();
        auto app = std::make_unique<AppWindow>();
        QVERIFY2(app->start(paths, true), qPrintable(app->failure()));
        QTRY_VERIFY_WITH_TIMEOUT(
            app->tileCount() == 3 &&
                !app->tiles()[2]->property("videoMeta").value<VideoMetadata *>()->loading(),
            20000);
        const QList<QQuickItem *> tiles = app->tiles();
        for (const QStringList &choice : {QStringList{"Crop", "Portrait"}, {"Loop"}}) {
            app->click(bareSpotOf(tiles[choice.size() == 2 ? 0 : 1]), Qt::RightButton);
            for (const QString &entry : choice) {
                QQuickItem *item = nullptr;
                QTRY_VERIFY((item = app->popupItem(entry)));
                app->move(app->centreOf(item));
                QTest::qWait(300);
                QVERIFY((item = app->popupItem(entry)));
                app->click(app->centreOf(item));
            }
        }
        app->move(bareSpotOf(tiles[2]));
        app->key("5"); // Half way.
        const auto records = [](AppWindow &window) { return window.layoutState()->videoMetas(); };
        QTRY_VERIFY(records(*app)[2]->position() > 14 && !records(*app)[2]->positionChanged());
        app->key("space");
        QTRY_VERIFY(std::none_of(records(*app).cbegin(), records(*app).cend(),
                                 [](const auto &record) { return record->playing(); }));
        QTest::qWait(500);
        QList<QByteArray> arguments;
        QList<TileSettings> settings;
        for (const auto &record : records(*app)) {
            const OpeningItem item = *OpeningItem::of(*record);
            arguments << item.argument;
            settings << item.settings;
        }
        QCOMPARE(arguments,
                 QList<QByteArray>({QFile::encodeName(paths[0]), QFile::encodeName(paths[1]),
                                    QFile::encodeName(paths[2])}));
        QCOMPARE(settings[0].crop, u"9:16"_s);
        QVERIFY(settings[1].loop && settings[2].position > 14);
        const auto sameTiles = [&](const QList<OpeningItem> &items) {
            bool same = items.size() == 3;
            for (qsizetype i = 0; same && i < 3; ++i)
                same = items[i].argument == arguments[i] && items[i].settings == settings[i];
            return same;
        };

        auto *dialog = app->window()->findChild<QObject *>("playlistDialog");
        QQuickItem *save = app->menuEntry("&File", u"Save as Playlist\u2026"_s);
        QVERIFY(save);
        app->click(app->centreOf(save));
        QQuickItem *name = nullptr;
        QTRY_VERIFY((name = app->item("fileNameTextField")));
        app->click(app->centreOf(name));
        app->key("ctrl+a");
        app->type("saved");
        // Qt 6.4's own panel takes the typed name on Return, and saves on its accept button.
        app->key("Return");
        QTRY_VERIFY(dialog->property("selectedFile").toUrl().path().endsWith("/saved"));
        app->click(app->centreOf(app->popupItem("Open")));
        const QString saved =
            dialog->property("currentFolder").toUrl().toLocalFile() + "/saved.m3u8";
        QTRY_VERIFY(QFile::exists(saved));
        QFile playlist(saved);
        QVERIFY(playlist.open(QIODevice::ReadOnly));
        const QByteArray content = playlist.readAll();
        QCOMPARE(content.count("#EXTINF:30,"), 3);
        QVERIFY2(sameTiles(PlaylistReader::read(content, "/", false).items), content.constData());
        QProcess ffprobe;
        ffprobe.start("ffprobe", {"-v", "error", "-f", "hls", "-show_entries", "stream=height",
                                  "-of", "csv=p=0", saved});
        QVERIFY(ffprobe.waitForFinished(20000));
        QCOMPARE(ffprobe.readAllStandardOutput().split('\n').value(0), "180");

        app->key("ctrl+q");
        QTRY_VERIFY(!app->window()->isVisible());
        app.reset();
        QVERIFY(sameTiles(SessionStore().load().tiles));
        QFile stored(SessionStore::defaultPath());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray session = stored.readAll();

        app = std::make_unique<AppWindow>();
        QVERIFY2(app->start({}, true), qPrintable(app->failure()));
        QTRY_COMPARE_WITH_TIMEOUT(app->tileCount(), 3, 20000);
        QCOMPARE(app->titles(),
                 QStringList({QFileInfo(paths[0]).fileName(), QFileInfo(paths[1]).fileName(),
                              QFileInfo(paths[2]).fileName()}));
        // Played on from where it was; the engine seeks by whole seconds.
        QTRY_VERIFY_WITH_TIMEOUT(records(*app)[2]->position() > settings[2].position - 1.1f, 15000);
        QVERIFY(records(*app)[2]->position() < settings[2].position + 10);
        // Cropped, the picture fills its portrait tile: not a landscape one between black bars.
        const auto filled = [&] {
            const QRect rect = AppWindow::rectOf(app->tiles()[0]);
            return rect.height() > rect.width() &&
                   AppWindow::share(app->grab(), rect,
                                    [](QRgb pixel) { return qGray(pixel) > 24; }) > 0.8;
        };
        QTRY_VERIFY_WITH_TIMEOUT(filled(), 10000);
        QVERIFY(stateOf(app->tiles()[1])->repeatEnabled());
        for (qsizetype i = 0; i < 3; ++i) {
            TileSettings now = TileSettings::of(*records(*app)[i]);
            now.position = settings[i].position;
            QCOMPARE(now, settings[i]);
        }

        // Forgotten: what the window shows is not saved again either.
        QQuickItem *clear = app->menuEntry("&File", "Clear Session");
        QVERIFY(clear);
        app->click(app->centreOf(clear));
        app->key("ctrl+q");
        QTRY_VERIFY(!app->window()->isVisible());
        app.reset();
        QVERIFY(SessionStore().load().tiles.isEmpty());
        QVERIFY(write(SessionStore::defaultPath(), "{\"version\": 1, \"tiles\": [{\"it"));
        app = std::make_unique<AppWindow>();
        QVERIFY2(app->start({}, true), qPrintable(app->failure()));
        QTest::qWait(1000);
        QCOMPARE(app->tileCount(), 0);
        QVERIFY(!app->log().filter("set aside as").isEmpty());
        QCOMPARE(QDir(QFileInfo(SessionStore::defaultPath()).path())
                     .entryList({"session.json.corrupt-*"})
                     .size(),
                 1);

        // "Restore videos on start" off: a stored session is not restored, and quitting forgets it.
        QQuickItem *panel = app->menuEntry("&Layout", "Settings");
        QVERIFY(panel);
        app->click(app->centreOf(panel));
        QQuickItem *restore = nullptr;
        QTRY_VERIFY((restore = app->item("restoreSession")) && restore->isVisible());
        app->click(restore->mapToScene(QPointF(10, restore->height() / 2)).toPoint());
        QTRY_VERIFY(!restore->property("checked").toBool());
        app->key("Escape");
        QVERIFY(write(SessionStore::defaultPath(), session));
        app->key("ctrl+q");
        QTRY_VERIFY(!app->window()->isVisible());
        QVERIFY(!QFile::exists(SessionStore::defaultPath()));
        QVERIFY(write(SessionStore::defaultPath(), session));
        app = std::make_unique<AppWindow>();
        QVERIFY2(app->start({}, true), qPrintable(app->failure()));
        QTest::qWait(1000);
        QCOMPARE(app->tileCount(), 0);
        QSettings("Marquetrix", "Marquetrix").remove("restoreSession");
    }

    // ] and [ change the speed of the tile under the pointer, which its bar shows and the engine
    // plays at; = resets it; Ctrl+] speeds up every tile. . shows a paused tile's next picture.
    void speedAndFrameStep()
    {
        AppWindow *app = window("shapes");
        QVERIFY(app);
        QQuickItem *tile = app->tiles().value(0);
        PlayerState *state = stateOf(tile);
        MediaPlayer *player = state->videoMeta()->mediaPlayer()->mediaPlayer();
        const auto rateLabel = [&] {
            QQuickItem *label = AppWindow::inside(tile, "rateLabel");
            return label && label->isVisible() ? label->property("text").toString() : QString();
        };
        app->move(bareSpotOf(tile));
        app->key("bracketright");
        app->key("bracketright");
        QTRY_COMPARE(player->rate(), 1.5f);
        QTRY_COMPARE(rateLabel(), u"1.5\u00d7"_s);
        QCOMPARE(stateOf(app->tiles()[1])->videoMeta()->rate(), 1.0f);
        const qint64 from = player->time().value_or(0);
        QTest::qWait(2000);
        QVERIFY2(player->time().value_or(0) - from > 2400, qPrintable(QString::number(from)));
        app->key("equal");
        QTRY_COMPARE(player->rate(), 1.0f);
        QTRY_COMPARE(rateLabel(), QString());
        app->key("ctrl+bracketright");
        for (QQuickItem *each : app->tiles())
            QTRY_COMPARE(stateOf(each)->videoMeta()->mediaPlayer()->mediaPlayer()->rate(), 1.25f);
        app->key("ctrl+equal");
        QTRY_COMPARE(player->rate(), 1.0f);

        app->key("space");
        QTRY_COMPARE(player->state(), PlaybackState::Paused);
        QTest::qWait(500);
        const float pausedAt = state->position();
        app->key("period");
        // The clips have 10 pictures a second.
        QTRY_VERIFY2(qAbs(state->position() - pausedAt - 0.1f) < 0.01f,
                     qPrintable(QString::number(state->position() - pausedAt)));
        QCOMPARE(player->state(), PlaybackState::Paused);
    }

    // y makes every tile follow the one under the pointer: from the start they play in step and
    // pause together when one is paused from its menu. A paused follower's . nudges it a picture
    // later, which its label shows; Ctrl+Right moves every tile by 5 s. The leader closed, the next
    // tile leads; Shift+Y ends the group.
    void playInSync()
    {
        AppWindow *app = window("shapes");
        QVERIFY(app);
        const QList<QQuickItem *> tiles = app->tiles();
        const auto player = [&](int i) {
            return stateOf(tiles[i])->videoMeta()->mediaPlayer()->mediaPlayer();
        };
        const auto time = [&](int i) { return player(i)->time().value_or(-100000); };
        const auto label = [&](int i) {
            QQuickItem *item = AppWindow::inside(tiles[i], "syncLabel");
            return item && item->isVisible() ? item->property("text").toString() : QString();
        };
        // Tile 0 ahead of the leader (tile 1) by `ahead`, the third with it.
        const auto apart = [&](qint64 ahead, qint64 most) {
            return qAbs(time(0) - time(1) - ahead) <= most && qAbs(time(2) - time(1)) <= most;
        };
        app->move(bareSpotOf(tiles[1]));
        app->key("y");
        QTRY_VERIFY(label(1).startsWith("Leads") && label(2).startsWith("Follows"));
        app->key("Home");
        if (app->viewState()->globalPause())
            app->key("space");
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(player(i)->state(), PlaybackState::Playing, 10000);
        const auto times = [&] { return u"%1 %2 %3"_s.arg(time(0)).arg(time(1)).arg(time(2)); };
        QTest::qWait(3000);
        QTRY_VERIFY2_WITH_TIMEOUT(apart(0, 60), qPrintable(times()), 8000);
        // A playing follower is brought to its new place by speeding up a little.
        app->move(bareSpotOf(tiles[0]));
        app->key("shift+period");
        QTRY_COMPARE(label(0), u"Follows, +0.100 s"_s);
        QTRY_VERIFY2_WITH_TIMEOUT(apart(100, 40), qPrintable(times()), 8000);

        app->click(bareSpotOf(tiles[0]), Qt::RightButton);
        QQuickItem *pause = nullptr;
        QTRY_VERIFY((pause = app->popupItem("Pause")));
        QVERIFY2(app->popupItem("S"), "the tile's menu shows no keys"); // Snapshot's.
        app->click(app->centreOf(pause));
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE(player(i)->state(), PlaybackState::Paused);
        // Paused where their places are.
        QTRY_VERIFY2(apart(100, 5), qPrintable(times()));
        app->move(bareSpotOf(tiles[0]));
        app->key("period");
        QTRY_COMPARE(label(0), u"Follows, +0.200 s"_s);
        QTRY_VERIFY2(apart(200, 50), qPrintable(times()));

        const qint64 from = time(1);
        app->key("ctrl+Right");
        QTRY_VERIFY2(qAbs(time(1) - from - 5000) <= 5 && apart(200, 5), qPrintable(times()));
        // The leader closed, the next tile leads.
        app->click(bareSpotOf(tiles[1]), Qt::RightButton);
        QQuickItem *close = nullptr;
        QTRY_VERIFY((close = app->popupItem("Close")));
        app->click(app->centreOf(close));
        QTRY_COMPARE(app->tileCount(), 2);
        QTRY_VERIFY(label(0).startsWith("Leads") && label(2).startsWith("Follows"));
        app->key("shift+y");
        QTRY_VERIFY(label(0).isEmpty() && label(2).isEmpty());
    }

    // s saves the picture of the tile under the pointer at the clip's own size, as ffmpeg decodes
    // it at that position; Shift+S saves every tile and the whole window. A notice names the
    // folder.
    void snapshots()
    {
        QTemporaryDir pictures;
        qputenv("XDG_PICTURES_DIR", pictures.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", pictures.path().toLocal8Bit());
        AppWindow *app = window("shapes");
        QVERIFY(app);
        QQuickItem *tile = app->tiles().value(0);
        MediaPlayer *player = stateOf(tile)->videoMeta()->mediaPlayer()->mediaPlayer();
        app->move(bareSpotOf(tile));
        app->key("s");
        const QDir folder(pictures.path() + "/Marquetrix");
        QTRY_COMPARE(folder.entryList({"*.png"}).size(), 1);
        const QString name = folder.entryList({"*.png"}).value(0);
        QVERIFY2(name.startsWith(stateOf(tile)->videoMeta()->title() + ' '), qPrintable(name));
        QTRY_VERIFY(app->viewState()->snapshotNotice().contains(folder.path()));
        const QImage shot(folder.filePath(name));
        QProcess ffmpeg;
        const QString reference = pictures.filePath("reference.png");
        ffmpeg.start("ffmpeg",
                     {"-v", "error", "-ss", QString::number(*player->time() / 1000.0), "-i",
                      player->media()->url().toLocalFile(), "-frames:v", "1", reference});
        QVERIFY(ffmpeg.waitForFinished(20000) && ffmpeg.exitCode() == 0);
        const QImage decoded(reference);
        QCOMPARE(shot.size(), decoded.size());
        qint64 alike = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                alike += AppWindow::near(shot.pixel(x, y), QColor(decoded.pixel(x, y)), 24);
        QVERIFY2(alike > shot.width() * shot.height() * 97 / 100,
                 qPrintable(QString::number(alike)));

        app->key("shift+s");
        QTRY_COMPARE(folder.entryList({"*.png"}).size(), 1 + app->tileCount() + 1);
        const QStringList window = folder.entryList({"Marquetrix *.png"});
        QCOMPARE(window.size(), 1);
        QCOMPARE(QImage(folder.filePath(window[0])).size(),
                 app->window()->size() * app->window()->devicePixelRatio());
        qunsetenv("XDG_PICTURES_DIR");
        qunsetenv("XDG_CONFIG_HOME");
    }

    // The subtitle file of a clip's name beside it shows its text, drawn into the picture, in the
    // lower third while its cue lasts and not outside it; v hides it.
    void subtitlesAtTheirCue()
    {
        const QString clip = m_media.clip(
            {.size = {640, 360}, .seconds = 14, .fps = 10, .pattern = ClipPattern::Quadrants});
        QVERIFY2(!clip.isEmpty(), qPrintable(m_media.failure()));
        QTemporaryDir dir;
        const QString video = dir.filePath("talk.mp4");
        QVERIFY(QFile::copy(clip, video));
        QVERIFY(write(dir.filePath("talk.srt"),
                      "1\n00:00:04,000 --> 00:00:10,000\nWWWW MMMM WWWW MMMM WWWW\n\n"));
        m_app.reset();
        AppWindow app;
        QVERIFY2(app.start({video}), qPrintable(app.failure()));
        QTRY_COMPARE(app.tileCount(), 1);
        QQuickItem *tile = app.tiles()[0];
        const PlayerState *state = stateOf(tile);
        app.click(bareSpotOf(tile));
        app.move(app.centreOf(app.item("addVideoButton")));
        // The lower third of the blue quadrant, where text shows as white.
        const QRect rect = AppWindow::rectOf(tile);
        const QRect lower(rect.left(), rect.top() + rect.height() * 2 / 3, rect.width() / 2,
                          rect.height() / 3);
        const auto text = [&] {
            return AppWindow::share(app.grab(), lower,
                                    [](QRgb p) { return qRed(p) > 180 && qGreen(p) > 180; });
        };
        // The engine's time: the tile's position follows it in steps of a quarter second. The
        // time libVLC reports trails the picture on the screen by up to about half a second.
        MediaPlayer *player = state->videoMeta()->mediaPlayer()->mediaPlayer();
        const auto seconds = [&] { return double(player->time().value_or(0)) / 1000.0; };
        QTRY_VERIFY_WITH_TIMEOUT(seconds() > 1.5, 10000);
        QVERIFY(text() < 0.0005);
        QVERIFY(seconds() < 3.4);
        QTRY_VERIFY_WITH_TIMEOUT(text() > 0.005, 8000);
        QVERIFY2(seconds() > 3.4 && seconds() < 10.3, qPrintable(QString::number(seconds())));
        app.key("v");
        QTRY_VERIFY(text() < 0.0005);
        QVERIFY(seconds() < 9.4);
        app.key("v");
        QTRY_VERIFY_WITH_TIMEOUT(seconds() > 10.7, 10000);
        QVERIFY(text() < 0.0005);
    }

private:
    AppWindow *window(const QString &setup);

    MediaGenerator m_media;
    std::unique_ptr<AppWindow> m_app;
    QString m_setup;
};

// The window of that setup: the one already up, or a new one whose tiles all play.
AppWindow *TestTileWindow::window(const QString &setup)
{
    if (m_app && m_setup == setup)
        return m_app.get();
    m_app.reset();
    m_setup = setup;
    QList<QPair<QSize, double>> clips; // size, seconds
    QSize size;
    if (setup == u"shapes") // Two alike (keys, swaps) and a portrait one.
        clips = {{{320, 180}, 120}, {{320, 180}, 120.2}, {{240, 320}, 30}};
    else if (setup == u"two") // The second soon at its end.
        clips = {{{320, 180}, 30}, {{320, 180}, 2}}, size = {1280, 800};
    else if (setup == u"tiny") // Tiles under 100 px wide.
        clips = QList<QPair<QSize, double>>(5, {{180, 320}, 20}), size = {640, 480};
    QStringList paths;
    for (qsizetype i = 0; i < clips.size(); ++i) {
        // Lengths differ by a little, so that every clip is a file of its own.
        paths << m_media.clip({.size = clips[i].first,
                               .seconds = clips[i].second + 0.1 * double(i),
                               .fps = 10,
                               .pattern = ClipPattern::Quadrants});
    }
    m_app = std::make_unique<AppWindow>();
    if (!m_app->start(paths) || paths.contains(QString()))
        return nullptr;
    if (size.isValid()) {
        m_app->resize(size);
        if (!QTest::qWaitFor([&] { return m_app->window()->size() == size; }, 5000))
            return nullptr;
    }
    const auto settled = [&] {
        const QList<QQuickItem *> tiles = m_app->tiles();
        return tiles.size() == paths.size() &&
               std::all_of(tiles.begin(), tiles.end(), [](auto *tile) {
                   return stateOf(tile)->videoMeta()->videoLoaded() &&
                          !stateOf(tile)->videoMeta()->loading();
               });
    };
    return QTest::qWaitFor(settled, 30000) ? m_app.get() : nullptr;
}

QTEST_MAIN(TestTileWindow)
#include "tst_tilewindow.moc"
