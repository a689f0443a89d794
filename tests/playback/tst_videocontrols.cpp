// What the tile's control bar and side controls ask for: requests on the tile's state and
// record, never calls on the engine.

#include "playerstate.h"
#include "sidecontrolsactions.h"
#include "videocontrols.h"
#include "viewstate.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace marquetrix;

namespace {

struct Tile
{
    Tile()
    {
        meta->setMediaLength(120);
        controls.setPlayerState(&state);
        side.setPlayerState(&state);
        side.setViewState(&view);
    }

    std::shared_ptr<VideoMetadata> meta =
        std::make_shared<VideoMetadata>(QUuid::createUuid(), nullptr);
    PlayerState state{meta};
    ViewState view;
    VideoControls controls;
    SideControlsActions side;
};

} // namespace

class TestVideoControls : public QObject
{
    Q_OBJECT

private slots:
    void jumps_data();
    void jumps();
    void playRewindsAnEndedVideo();
    void playPauseToggles();
    void seekDragRequestsOneSeekAtItsEnd();
    void muteChangesOnlyTheState();
    void closeRequestsTeardown();
    void timeTexts_data();
    void timeTexts();
    void widthClasses_data();
    void widthClasses();
    void crop_data();
    void crop();
    void loopCaptionFollowsRepeat();
    void openFileSetsOnlyTheNewURL();
    void openURLNamesTheTileFirst();
};

void TestVideoControls::jumps_data()
{
    QTest::addColumn<float>("length");
    QTest::addColumn<float>("position");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<float>("expected");
    QTest::newRow("back from 10 stops at 0") << 120.0f << 10.0f << false << 0.0f;
    QTest::newRow("back from 40") << 120.0f << 40.0f << false << 25.0f;
    QTest::newRow("forward 5 s before the end stops at the end")
        << 120.0f << 115.0f << true << 120.0f;
    QTest::newRow("forward from 40") << 120.0f << 40.0f << true << 55.0f;
    QTest::newRow("forward with the length not known yet") << 0.0f << 40.0f << true << 55.0f;
}

void TestVideoControls::jumps()
{
    QFETCH(float, length);
    QFETCH(float, position);
    QFETCH(bool, forward);
    QFETCH(float, expected);

    Tile tile;
    tile.meta->setMediaLength(length);
    tile.state.setPosition(position);
    forward ? tile.controls.jumpForward() : tile.controls.jumpBackward();
    QCOMPARE(tile.state.position(), expected);
    QVERIFY(tile.meta->positionChanged());
}

void TestVideoControls::playRewindsAnEndedVideo()
{
    Tile tile;
    tile.meta->setEnded(true);
    tile.state.setPlaying(false);
    tile.state.setPosition(120);
    tile.state.setDisplayedPosition(120);
    tile.controls.playPause();
    QCOMPARE(tile.state.position(), 0.0f);
    QCOMPARE(tile.state.displayedPosition(), 0.0f);
    QVERIFY(!tile.meta->ended());
    QVERIFY(tile.state.playing());
    // A rewind is not a seek request: the binding restarts an ended video itself.
    QVERIFY(!tile.meta->positionChanged());
}

void TestVideoControls::playPauseToggles()
{
    Tile tile;
    tile.state.setPosition(30);
    QVERIFY(tile.state.playing());
    tile.controls.playPause();
    QVERIFY(!tile.state.playing());
    QCOMPARE(tile.state.position(), 30.0f);
    tile.controls.playPause();
    QVERIFY(tile.state.playing());
}

void TestVideoControls::seekDragRequestsOneSeekAtItsEnd()
{
    Tile tile;
    QSignalSpy requests(tile.meta.get(), &VideoMetadata::positionChangedChanged);
    tile.controls.setEditing(true);
    QVERIFY(tile.state.editingPosition());
    // The slider moves the shown position while the drag lasts.
    for (float p : {10.0f, 30.0f, 42.6f})
        tile.state.setDisplayedPosition(p);
    QCOMPARE(requests.count(), 0);
    QCOMPARE(tile.state.position(), 0.0f);

    tile.controls.setEditing(false);
    QVERIFY(!tile.state.editingPosition());
    QCOMPARE(tile.state.position(), 42.6f);
    QCOMPARE(requests.count(), 1);
    QVERIFY(tile.meta->positionChanged());
}

void TestVideoControls::muteChangesOnlyTheState()
{
    Tile tile;
    QSignalSpy recordMute(tile.meta.get(), &VideoMetadata::mutedChanged);
    tile.controls.toggleMute();
    QVERIFY(tile.state.muted());
    QVERIFY(!tile.meta->muted());
    QCOMPARE(recordMute.count(), 0);
    tile.controls.toggleMute();
    QVERIFY(!tile.state.muted());
}

void TestVideoControls::closeRequestsTeardown()
{
    Tile tile;
    tile.controls.close();
    QVERIFY(tile.state.isClosed());
    QVERIFY(!tile.meta->isClosed());
}

void TestVideoControls::timeTexts_data()
{
    QTest::addColumn<float>("position");
    QTest::addColumn<float>("length");
    QTest::addColumn<QString>("positionText");
    QTest::addColumn<QString>("durationText");
    QTest::newRow("start") << 0.0f << 0.0f << "00:00:00"
                           << "00:00:00";
    QTest::newRow("one minute five") << 65.0f << 65.0f << "00:01:05"
                                     << "00:01:05";
    QTest::newRow("position truncated, length rounded") << 3725.9f << 3725.6f << "01:02:05"
                                                        << "01:02:06";
    QTest::newRow("length tie rounds to even (down)") << 0.0f << 2.5f << "00:00:00"
                                                      << "00:00:02";
    QTest::newRow("length tie rounds to even (up)") << 0.0f << 3.5f << "00:00:00"
                                                    << "00:00:04";
    QTest::newRow("past a day") << 90061.0f << 0.0f << "25:01:01"
                                << "00:00:00";
}

void TestVideoControls::timeTexts()
{
    QFETCH(float, position);
    QFETCH(float, length);
    QFETCH(QString, positionText);
    QFETCH(QString, durationText);

    Tile tile;
    QSignalSpy positionSpy(&tile.controls, &VideoControls::positionTextChanged);
    QSignalSpy durationSpy(&tile.controls, &VideoControls::durationTextChanged);
    tile.state.setPosition(position);
    tile.meta->setMediaLength(length);
    QCOMPARE(tile.controls.positionText(), positionText);
    QCOMPARE(tile.controls.durationText(), durationText);
    QCOMPARE(positionSpy.count(), 1);
    QCOMPARE(durationSpy.count(), 1);
}

void TestVideoControls::widthClasses_data()
{
    QTest::addColumn<qreal>("width");
    QTest::addColumn<VideoControls::WidthClass>("widthClass");
    QTest::addColumn<int>("titlePadding");
    QTest::addColumn<int>("rowPadding");
    QTest::addColumn<int>("rowMinimum");
    QTest::addColumn<int>("rowMaximum");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<int>("volumeWidth");
    QTest::newRow("wide, over 600")
        << 601.0 << VideoControls::WidthClass::Wide << 30 << 30 << 200 << 500 << 30 << 60;
    QTest::newRow("wide, 600") << 600.0 << VideoControls::WidthClass::Wide << 30 << 30 << 200 << 500
                               << 24 << 60;
    QTest::newRow("wide, 500") << 500.0 << VideoControls::WidthClass::Wide << 30 << 30 << 200 << 500
                               << 20 << 60;
    QTest::newRow("wide from 350")
        << 350.0 << VideoControls::WidthClass::Wide << 30 << 30 << 200 << 500 << 20 << 60;
    QTest::newRow("narrow below 350")
        << 349.5 << VideoControls::WidthClass::Narrow << 15 << 5 << 200 << 300 << 20 << 40;
    QTest::newRow("narrow from 220")
        << 220.0 << VideoControls::WidthClass::Narrow << 15 << 5 << 200 << 300 << 20 << 40;
    QTest::newRow("tiny below 220")
        << 219.0 << VideoControls::WidthClass::Tiny << 2 << 1 << 160 << 200 << 20 << 30;
}

void TestVideoControls::widthClasses()
{
    QFETCH(qreal, width);
    QFETCH(VideoControls::WidthClass, widthClass);

    VideoControls controls;
    controls.setWidth(width);
    QCOMPARE(controls.widthClass(), widthClass);
    QCOMPARE(controls.sideControlsInline(), widthClass == VideoControls::WidthClass::Wide);
    QTEST(controls.titlePadding(), "titlePadding");
    QTEST(controls.rowPadding(), "rowPadding");
    QTEST(controls.rowMinimumWidth(), "rowMinimum");
    QTEST(controls.rowMaximumWidth(), "rowMaximum");
    QTEST(controls.spacing(), "spacing");
    QTEST(controls.volumeWidth(), "volumeWidth");
}

void TestVideoControls::crop_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("changeCropping");
    QTest::addColumn<bool>("restoreCropping");
    QTest::newRow("Landscape") << "Landscape"
                               << "16:9" << false;
    QTest::newRow("Portrait") << "Portrait"
                              << "9:16" << false;
    QTest::newRow("Original") << "Original" << QString() << true;
}

void TestVideoControls::crop()
{
    QFETCH(QString, choice);
    QFETCH(QString, changeCropping);
    QFETCH(bool, restoreCropping);

    Tile tile;
    QStringList order;
    connect(&tile.state, &PlayerState::changeCroppingChanged, this,
            [&order] { order << "changeCropping"; });
    connect(&tile.state, &PlayerState::restoreCroppingChanged, this,
            [&order] { order << "restoreCropping"; });
    if (choice == "Landscape")
        tile.side.cropLandscape();
    else if (choice == "Portrait")
        tile.side.cropPortrait();
    else
        tile.side.cropOriginal();
    QCOMPARE(tile.state.changeCropping(), changeCropping);
    QCOMPARE(tile.state.restoreCropping(), restoreCropping);
    QCOMPARE(order.first(), QStringLiteral("changeCropping"));
    QCOMPARE(order.size(), restoreCropping ? 2 : 1);
}

void TestVideoControls::loopCaptionFollowsRepeat()
{
    Tile tile;
    QSignalSpy captions(&tile.side, &SideControlsActions::loopCaptionChanged);
    QCOMPARE(tile.side.loopCaption(), QStringLiteral("Loop"));
    tile.side.toggleLoop();
    QVERIFY(tile.state.repeatEnabled());
    QCOMPARE(tile.side.loopCaption(), QStringLiteral("No loop"));
    tile.side.toggleLoop();
    QVERIFY(!tile.state.repeatEnabled());
    QCOMPARE(tile.side.loopCaption(), QStringLiteral("Loop"));
    QCOMPARE(captions.count(), 2);
}

void TestVideoControls::openFileSetsOnlyTheNewURL()
{
    Tile tile;
    QSignalSpy viewChanges(&tile.view, &ViewState::openURLVisibleChanged);
    // A cancelled panel gives no file.
    tile.side.openFileIntoTile(QUrl());
    QVERIFY(tile.meta->newURL().isEmpty());

    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/videos/b.mkv"));
    tile.side.openFileIntoTile(file);
    QCOMPARE(tile.meta->newURL(), file);
    QVERIFY(tile.state.newURL().isEmpty());
    QVERIFY(!tile.state.isClosed());
    QCOMPARE(viewChanges.count(), 0);

    // The panel offers the five kinds of video.
    const QStringList filters = SideControlsActions::videoFileFilters();
    QCOMPARE(filters.size(), 5);
    for (const char *pattern : {"*.avi", "*.mov", "*.mp4", "*.mpg"})
        QVERIFY(filters.first().contains(QLatin1String(pattern)));
}

void TestVideoControls::openURLNamesTheTileFirst()
{
    Tile tile;
    QUuid targetWhenShown;
    connect(&tile.view, &ViewState::openURLVisibleChanged, this,
            [&] { targetWhenShown = tile.view.openToPlayer(); });
    tile.side.openURLIntoTile();
    QVERIFY(tile.view.openURLVisible());
    QCOMPARE(targetWhenShown, tile.meta->id());
}

QTEST_GUILESS_MAIN(TestVideoControls)
#include "tst_videocontrols.moc"
