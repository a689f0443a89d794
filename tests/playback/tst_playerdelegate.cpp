#include "fakeengine.h"
#include "layoutstate.h"
#include "playerdelegate.h"
#include "playerstate.h"

#include <QTest>
#include <memory>

using namespace marquetrix;

namespace {

TrackInformation videoTrack(int width, int height)
{
    return {TrackInformation::Type::Video, width, height};
}

TrackInformation audioTrack()
{
    return {TrackInformation::Type::Audio, std::nullopt, std::nullopt};
}

// One tile: a record on a fake list player, its state, the window's layout state, and
// the delegate bound to them as the player binding binds it.
struct Tile
{
    explicit Tile(const QUrl &url = QUrl(QStringLiteral("file:///clips/a.mp4")))
        : listPlayer(engine.openListPlayer(url)),
          meta(std::make_shared<VideoMetadata>(QUuid::createUuid(), listPlayer)), state(meta),
          delegate(&state, &layout)
    {
        layout.appendVideoMeta(meta);
        player().setDelegate(&delegate);
    }

    FakeMediaPlayer &player() { return listPlayer->fakePlayer(); }
    FakeMedia &media() { return *player().currentMedia; }

    void stateEvent(PlaybackState playbackState)
    {
        player().playbackState = playbackState;
        player().sendStateChanged();
    }

    void timeEvent(qint64 milliseconds)
    {
        player().timeMs = milliseconds;
        player().sendTimeChanged();
    }

    FakeMediaEngine engine;
    std::shared_ptr<FakeMediaListPlayer> listPlayer;
    std::shared_ptr<VideoMetadata> meta;
    LayoutState layout;
    PlayerState state;
    PlayerDelegate delegate;
};

} // namespace

class TestPlayerDelegate : public QObject
{
    Q_OBJECT

private slots:
    void pictureSize_data();
    void pictureSize();
    void sameSizeAgainChangesNothing();
    void endAndError_data();
    void endAndError();
    void errorStillReadsTracks();
    void eventWithoutPlayer();
    void loadingAndLivePlaylist_data();
    void loadingAndLivePlaylist();
    void position_data();
    void position();
};

void TestPlayerDelegate::pictureSize_data()
{
    QTest::addColumn<QList<TrackInformation>>("tracks");
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    QTest::addColumn<bool>("videoLoaded");

    QTest::newRow("video track") << QList{videoTrack(1280, 720)} << qint64(1280) << qint64(720)
                                 << true;
    QTest::newRow("audio before video")
        << QList{audioTrack(), videoTrack(640, 480)} << qint64(640) << qint64(480) << true;
    QTest::newRow("width not yet known")
        << QList{videoTrack(0, 720)} << qint64(16) << qint64(9) << false;
    QTest::newRow("height not yet known")
        << QList{videoTrack(1280, 0)} << qint64(16) << qint64(9) << false;
    QTest::newRow("audio only") << QList{audioTrack()} << qint64(16) << qint64(9) << false;
    QTest::newRow("no tracks") << QList<TrackInformation>{} << qint64(16) << qint64(9) << false;
}

void TestPlayerDelegate::pictureSize()
{
    QFETCH(QList<TrackInformation>, tracks);
    QFETCH(qint64, width);
    QFETCH(qint64, height);
    QFETCH(bool, videoLoaded);

    Tile tile;
    tile.media().tracks = tracks;
    tile.stateEvent(PlaybackState::Playing);
    QCOMPARE(tile.meta->width(), width);
    QCOMPARE(tile.meta->height(), height);
    QCOMPARE(tile.meta->videoLoaded(), videoLoaded);
    QCOMPARE(tile.state.videoLoaded(), videoLoaded);
    QCOMPARE(tile.layout.counter(), videoLoaded ? 1 : 0);
}

void TestPlayerDelegate::sameSizeAgainChangesNothing()
{
    Tile tile;
    tile.media().tracks = {videoTrack(1280, 720)};
    tile.stateEvent(PlaybackState::Playing);
    tile.stateEvent(PlaybackState::Playing);
    tile.stateEvent(PlaybackState::Paused);
    QCOMPARE(tile.layout.counter(), 1);

    // A new size (a stream that changes resolution) is taken and counted again.
    tile.media().tracks = {videoTrack(1920, 1080)};
    tile.stateEvent(PlaybackState::Playing);
    QCOMPARE(tile.meta->width(), 1920);
    QCOMPARE(tile.layout.counter(), 2);
}

void TestPlayerDelegate::endAndError_data()
{
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<QList<PlaybackState>>("events");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<bool>("doPause");
    QTest::addColumn<bool>("error");

    using S = PlaybackState;
    QTest::newRow("end event alone")
        << false << QList{S::Playing, S::Ended} << true << false << false;
    // The engine follows its end with one more state event while it stays at the end.
    QTest::newRow("event after the end pauses")
        << false << QList{S::Ended, S::Ended} << true << true << false;
    QTest::newRow("repeat: restart does not pause")
        << true << QList{S::Ended, S::Opening} << true << false << false;
    QTest::newRow("restart after the end is not paused")
        << false << QList{S::Ended, S::Opening, S::Playing} << false << false << false;
    QTest::newRow("no end, no pause")
        << false << QList{S::Opening, S::Playing, S::Paused} << false << false << false;
    QTest::newRow("error") << false << QList{S::Opening, S::Error} << false << false << true;
}

void TestPlayerDelegate::endAndError()
{
    QFETCH(bool, repeat);
    QFETCH(QList<PlaybackState>, events);
    QFETCH(bool, ended);
    QFETCH(bool, doPause);
    QFETCH(bool, error);

    Tile tile;
    tile.state.setRepeatEnabled(repeat);
    if (error)
        QTest::ignoreMessage(QtWarningMsg, "Playback error");
    for (PlaybackState event : events)
        tile.stateEvent(event);
    QCOMPARE(tile.meta->ended(), ended);
    QCOMPARE(tile.meta->doPause(), doPause);
    QCOMPARE(tile.meta->error(), error);
}

void TestPlayerDelegate::errorStillReadsTracks()
{
    Tile tile;
    tile.media().lengthMs = 4500;
    tile.media().tracks = {videoTrack(640, 360)};
    QTest::ignoreMessage(QtWarningMsg, "Playback error");
    tile.stateEvent(PlaybackState::Error);
    QVERIFY(tile.meta->error());
    QCOMPARE(tile.meta->mediaLength(), 4.5f);
    QCOMPARE(tile.meta->width(), 640);
}

void TestPlayerDelegate::eventWithoutPlayer()
{
    Tile tile;
    tile.media().tracks = {videoTrack(640, 360)};
    QTest::ignoreMessage(QtWarningMsg, "No player found to update time");
    tile.delegate.mediaPlayerStateChanged(nullptr);
    QTest::ignoreMessage(QtWarningMsg, "No player found to update time");
    tile.delegate.mediaPlayerTimeChanged(nullptr);
    QCOMPARE(tile.meta->width(), 16);
    QVERIFY(tile.meta->loading());
    QCOMPARE(tile.layout.counter(), 0);
}

void TestPlayerDelegate::loadingAndLivePlaylist_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QList<qint64>>("times");
    QTest::addColumn<bool>("loading");
    QTest::addColumn<QStringList>("calls");

    const QUrl file(QStringLiteral("file:///clips/a.mp4"));
    const QUrl live(QStringLiteral("http://127.0.0.1:8080/live/index.m3u8"));
    QTest::newRow("0 ms keeps loading") << file << QList<qint64>{0} << true << QStringList{};
    QTest::newRow("1 ms keeps loading") << file << QList<qint64>{1} << true << QStringList{};
    QTest::newRow("2 ms clears loading") << file << QList<qint64>{2} << false << QStringList{};
    QTest::newRow("file never jumps")
        << file << QList<qint64>{40, 500, 900} << false << QStringList{};
    QTest::newRow("live playlist jumps back once")
        << live << QList<qint64>{1, 40, 500, 900} << false << QStringList{"jumpBackward 1"};
}

void TestPlayerDelegate::loadingAndLivePlaylist()
{
    QFETCH(QUrl, url);
    QFETCH(QList<qint64>, times);
    QFETCH(bool, loading);
    QFETCH(QStringList, calls);

    Tile tile(url);
    if (!calls.isEmpty())
        QTest::ignoreMessage(QtInfoMsg, "Jumping to ensure no black screen");
    for (qint64 time : times)
        tile.timeEvent(time);
    QCOMPARE(tile.meta->loading(), loading);
    QCOMPARE(tile.listPlayer->calls, calls);
}

void TestPlayerDelegate::position_data()
{
    QTest::addColumn<float>("position");
    QTest::addColumn<bool>("seekPending");
    QTest::addColumn<qint64>("time");
    QTest::addColumn<float>("expected");

    QTest::newRow("advances") << 1.0f << false << qint64(1500) << 1.5f;
    QTest::newRow("restart after repeat") << 20.0f << false << qint64(40) << 0.04f;
    QTest::newRow("below the seconds value ignored") << 20.0f << false << qint64(10) << 20.0f;
    QTest::newRow("no time known") << 3.0f << false << qint64(-1) << 3.0f;
    QTest::newRow("requested seek kept") << 42.6f << true << qint64(10000) << 42.6f;
}

void TestPlayerDelegate::position()
{
    QFETCH(float, position);
    QFETCH(bool, seekPending);
    QFETCH(qint64, time);
    QFETCH(float, expected);

    Tile tile;
    tile.state.setPosition(position);
    tile.meta->setPositionChanged(seekPending);
    tile.player().timeMs = time < 0 ? std::nullopt : std::optional<qint64>(time);
    tile.player().sendTimeChanged();
    QCOMPARE(tile.state.position(), expected);
}

QTEST_GUILESS_MAIN(TestPlayerDelegate)
#include "tst_playerdelegate.moc"
