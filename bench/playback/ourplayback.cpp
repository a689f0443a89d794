#include "ourplayback.h"

#include "resourcemeter.h"

#include "medialistplayer.h"
#include "mediaplayer.h"
#include "mediaplayerdelegate.h"
#include "vlcmediaengine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

namespace marquetrix::bench {

namespace {

// Counts the players that are done (ended or failed) and quits the loop after the last.
class EndWatcher : public MediaPlayerDelegate
{
public:
    EndWatcher(int players, QEventLoop &loop) : m_players(players), m_loop(loop) {}

    void mediaPlayerStateChanged(MediaPlayer *player) override
    {
        if (!player)
            return;
        if (player->state() == PlaybackState::Ended || player->state() == PlaybackState::Error)
            m_done.insert(player);
        if (m_done.size() == m_players)
            m_loop.quit();
    }
    void mediaPlayerTimeChanged(MediaPlayer *) override {}
    void mediaListPlayerNextMedia(MediaListPlayer *, Media *) override {}

    bool allDone() const { return m_done.size() == m_players; }

private:
    int m_players;
    QEventLoop &m_loop;
    QSet<MediaPlayer *> m_done;
};

struct Tile
{
    std::shared_ptr<MediaListPlayer> listPlayer;
    std::unique_ptr<QVideoSink> sink;
};

} // namespace

RunResult runOurs(const BenchCase &benchCase, const QString &clip)
{
    VlcMediaEngine engine;
    QEventLoop loop;
    EndWatcher watcher(benchCase.players, loop);
    qint64 frames = 0;
    std::vector<Tile> tiles;
    for (int i = 0; i < benchCase.players; ++i) {
        Tile tile;
        tile.listPlayer = engine.createListPlayer({"--avcodec-hw=none"});
        tile.listPlayer->setRootMedia(engine.createMedia(QUrl::fromLocalFile(clip)));
        tile.sink = std::make_unique<QVideoSink>();
        QObject::connect(tile.sink.get(), &QVideoSink::videoFrameChanged,
                         [&frames](const QVideoFrame &frame) { frames += frame.isValid(); });
        tile.listPlayer->mediaPlayer()->setDelegate(&watcher);
        tile.listPlayer->mediaPlayer()->setDrawable(tile.sink.get());
        tiles.push_back(std::move(tile));
    }

    ResourceMeter meter;
    meter.start();
    for (Tile &tile : tiles)
        tile.listPlayer->play();
    QTimer::singleShot((benchCase.seconds * 3 + 10) * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    meter.stop();
    // The last pictures may be shown just after the end is reported.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();

    RunResult result;
    result.frames = frames;
    result.cpuPerSecond = meter.cpuPerSecond();
    result.peakRssMiB = meter.peakRssMiB();
    result.rssGrowthMiB = meter.rssGrowthMiB();
    result.complete = watcher.allDone();
    for (Tile &tile : tiles)
        tile.listPlayer->mediaPlayer()->setDelegate(nullptr);
    // Released players finish stopping on threads of their own, and their frame writers go
    // on this one.
    tiles.clear();
    VlcMediaEngine::waitForReleasedPlayers(std::chrono::seconds(10));
    QEventLoop released;
    QTimer::singleShot(300, &released, &QEventLoop::quit);
    released.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    result.rssAfterReleaseMiB = ResourceMeter::residentMiB();
    return result;
}

} // namespace marquetrix::bench
