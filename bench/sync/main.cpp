// How closely tiles play in step: four generated clips, each showing its picture number (so
// that a person watching them can compare the pictures), are synced to the first and played.
// Every 100 ms each tile's time is read through the engine layer; after the first second the
// figures are the followers' distances to the leader and the seeks the group needed. The tiles
// are the application's own (records, player bindings, ticks and the window's sync group);
// only the window is left out, so the run needs no display.
//
//   marquetrix-sync-bench                 60 s
//   marquetrix-sync-bench --seconds 20
//
// What the figures can tell: libVLC reports a player's time every 250 to 570 ms, each report
// within a few ms of its own clock, and the engine layer runs the time on with the monotonic
// clock in between. So the distances say where the players' clocks stand against each other,
// to a few ms; they do not say which picture is shown. The pictures carry their number a second
// time as a row of cells, read back from what each tile last received: that says which picture
// each tile holds, to one picture (40 ms), since players in step still change pictures at
// moments of their own; what a screen then shows also depends on the window, not measured here.

#include "codedclip.h"
#include "layoutstate.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "openedrecord.h"
#include "playerstate.h"
#include "tilecontroller.h"
#include "tilesync.h"
#include "videometadata.h"
#include "videoview.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace marquetrix;
using marquetrix::bench::makeCodedClip;

namespace {

struct Tile
{
    std::shared_ptr<VideoMetadata> meta;
    std::unique_ptr<PlayerState> state;
    std::unique_ptr<QVideoSink> sink;
    std::unique_ptr<VideoView> view;
    std::unique_ptr<TileController> controller;
};

// The picture number once more, as a row of black and white cells near the bottom that the
// benchmark reads back from the pictures the tiles receive; bit 0 on the left.
constexpr int codeBits = 12;

double cellLeft(int bit)
{
    return 0.05 + 0.07 * bit;
}

QString codeFilter()
{
    QString chain =
        QStringLiteral("drawbox=x=iw*0.05:y=ih*0.82:w=iw*%1:h=ih*0.1:color=black:t=fill")
            .arg(0.07 * codeBits);
    for (int bit = 0; bit < codeBits; ++bit)
        chain += QStringLiteral(",drawbox=x=iw*%1:y=ih*0.82:w=iw*0.07:h=ih*0.1:color=white:t=fill:"
                                "enable='gte(mod(n,%2),%3)'")
                     .arg(cellLeft(bit))
                     .arg(2 << bit)
                     .arg(1 << bit);
    return chain;
}

// The number of the picture a tile last received; nothing while none or unreadable.
std::optional<int> pictureNumber(const QVideoSink &sink)
{
    QVideoFrame frame = sink.videoFrame();
    if (!frame.isValid() || !frame.map(QVideoFrame::ReadOnly))
        return std::nullopt;
    std::optional<int> number = 0;
    const int y = int(frame.height() * 0.87);
    for (int bit = 0; bit < codeBits && number; ++bit) {
        const int x = int(frame.width() * (cellLeft(bit) + 0.035));
        const int luma = frame.bits(0)[y * frame.bytesPerLine(0) + x];
        if (luma > 64 && luma < 192)
            number.reset();
        else if (luma >= 192)
            *number |= 1 << bit;
    }
    frame.unmap();
    return number;
}

// A moving test picture with its number drawn large, for a person watching, and as cells.
QString makeClip(const QDir &dir, int index, QSize size, double seconds)
{
    QString failure;
    const QString path = makeCodedClip(
        dir.filePath(QStringLiteral("numbered%1.mp4").arg(index)), size, 25, seconds,
        QStringLiteral("drawtext=text='%{frame_num}':fontsize=%1:fontcolor=white:box=1:"
                       "boxcolor=black:x=10:y=10,%2")
            .arg(size.height() / 4)
            .arg(codeFilter()),
        failure);
    if (path.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(failure));
    return path;
}

bool waitFor(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void spend(int milliseconds)
{
    waitFor([] { return false; }, milliseconds);
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("unknown");
}

MediaPlayer *playerOf(const Tile &tile)
{
    return tile.meta->mediaPlayer()->mediaPlayer();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Four tiles played in step"));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Seconds of synced playback."),
                                           QStringLiteral("s"), QStringLiteral("60"));
    parser.addOption(secondsOption);
    parser.process(app);
    const int seconds = std::max(2, parser.value(secondsOption).toInt());

    QTemporaryDir dir;
    const QList<QSize> sizes = {{640, 360}, {480, 270}, {640, 360}, {320, 240}};
    QStringList clips;
    for (int i = 0; i < sizes.size(); ++i) {
        clips << makeClip(QDir(dir.path()), i, sizes[i], seconds + 10 + 0.1 * i);
        if (clips.last().isEmpty())
            return 1;
    }

    VlcMediaEngine engine;
    LayoutState layout;
    ViewState view;
    std::vector<Tile> tiles;
    for (const QString &clip : clips) {
        Tile tile;
        tile.meta = localFileRecord(engine, QUrl::fromLocalFile(clip));
        if (!tile.meta)
            return 1;
        layout.appendVideoMeta(tile.meta);
        tile.state = std::make_unique<PlayerState>(tile.meta);
        tile.sink = std::make_unique<QVideoSink>();
        tile.view = std::make_unique<VideoView>();
        tile.view->setPlayerState(tile.state.get());
        tile.view->setViewState(&view);
        tile.view->setLayoutState(&layout);
        tile.view->setDrawable(tile.sink.get());
        tile.controller = std::make_unique<TileController>();
        tile.controller->setPlayerState(tile.state.get());
        tile.controller->setViewState(&view);
        tile.controller->setLayoutState(&layout);
        tiles.push_back(std::move(tile));
    }
    const bool started = waitFor(
        [&] {
            return std::all_of(tiles.begin(), tiles.end(), [](const Tile &tile) {
                return playerOf(tile)->state() == PlaybackState::Playing && !tile.meta->loading();
            });
        },
        30000);
    if (!started) {
        std::fprintf(stderr, "the clips did not start\n");
        return 1;
    }
    // They start one after the other: the group has work to do from the first moment.
    const QByteArray loadBefore = loadAverage();
    TileSync sync(&layout);
    sync.syncTo(tiles[0].meta.get());
    spend(1000);

    std::vector<std::vector<qint64>> distances(tiles.size());
    // When each follower was furthest off (ms into the measured time).
    std::vector<qint64> worstAt(tiles.size());
    // Pictures received: how many apart from the leader's, at the same moments.
    std::vector<int> picturesApart;
    // Each tile's time less the time of the picture it last received.
    std::vector<std::vector<qint64>> timeAhead(tiles.size());
    QElapsedTimer clock;
    clock.start();
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const auto leader = playerOf(tiles[0])->time();
        for (std::size_t i = 1; i < tiles.size(); ++i) {
            const auto follower = playerOf(tiles[i])->time();
            if (!leader || !follower)
                continue;
            const qint64 distance = std::abs(*follower - *leader);
            if (distances[i].empty() ||
                distance > *std::max_element(distances[i].begin(), distances[i].end()))
                worstAt[i] = clock.elapsed();
            distances[i].push_back(distance);
        }
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            const auto number = pictureNumber(*tiles[i].sink);
            if (const auto time = playerOf(tiles[i])->time(); number && time)
                timeAhead[i].push_back(*time - *number * 40);
        }
        const auto leading = pictureNumber(*tiles[0].sink);
        for (std::size_t i = 1; i < tiles.size(); ++i) {
            if (const auto number = pictureNumber(*tiles[i].sink); leading && number)
                picturesApart.push_back(std::abs(*number - *leading));
        }
    });
    sampler.start(100);
    spend(seconds * 1000);
    sampler.stop();

    std::printf("%d s synced, %d tiles (the first leads), sampled every 100 ms after the "
                "first second\n",
                seconds, int(tiles.size()));
    std::vector<qint64> all;
    for (std::size_t i = 1; i < tiles.size(); ++i) {
        std::vector<qint64> &each = distances[i];
        all.insert(all.end(), each.begin(), each.end());
        std::sort(each.begin(), each.end());
        if (each.empty())
            continue;
        std::printf(
            "  tile %zu: worst %lld ms (at %.1f s), median %lld ms, 95th percentile %lld ms "
            "(%zu samples)\n",
            i, static_cast<long long>(each.back()), double(worstAt[i]) / 1000.0,
            static_cast<long long>(each[each.size() / 2]),
            static_cast<long long>(each[each.size() * 95 / 100]), each.size());
    }
    std::sort(all.begin(), all.end());
    if (!all.empty()) {
        const auto within = std::count_if(all.begin(), all.end(), [](qint64 d) { return d <= 40; });
        std::printf("all followers: worst %lld ms, median %lld ms, within 40 ms %.1f %%\n",
                    static_cast<long long>(all.back()), static_cast<long long>(all[all.size() / 2]),
                    100.0 * double(within) / double(all.size()));
    }
    std::sort(picturesApart.begin(), picturesApart.end());
    if (!picturesApart.empty()) {
        const auto same = std::count(picturesApart.begin(), picturesApart.end(), 0);
        const auto near = std::count_if(picturesApart.begin(), picturesApart.end(),
                                        [](int apart) { return apart <= 1; });
        std::printf("pictures received (25 per second): the leader's %.1f %%, at most one apart "
                    "%.1f %%, worst %d apart (%zu readings)\n",
                    100.0 * double(same) / double(picturesApart.size()),
                    100.0 * double(near) / double(picturesApart.size()), picturesApart.back(),
                    picturesApart.size());
    }
    std::printf("time less the picture's time, median per tile:");
    for (std::vector<qint64> &ahead : timeAhead) {
        std::sort(ahead.begin(), ahead.end());
        std::printf(" %lld ms",
                    ahead.empty() ? 0LL : static_cast<long long>(ahead[ahead.size() / 2]));
    }
    std::printf("\nre-seeks: %d\n", sync.reseeks());
    std::printf("load average before: %s, after: %s\n", loadBefore.constData(),
                loadAverage().constData());
    for (const Tile &tile : tiles)
        tile.meta->mediaPlayer()->stop();
    return 0;
}
