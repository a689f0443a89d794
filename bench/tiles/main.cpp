// How the tiles keep up: N tiles of a generated clip playing in a window of the given size,
// against the same players drawing into sinks that no window shows. Prints the window's
// frame rate and frame times, the pictures the players delivered, and the CPU the UI adds
// over the engine alone. Run it with an X server (scripts/test-session, or xvfb-run with a
// 1920x1080 screen).
//
//   marquetrix-tiles-bench                                   9 tiles of 720p30, 1920x1080
//   marquetrix-tiles-bench --tiles 4 --seconds 10 --size 1280x720

#include "resourcemeter.h"

#include "layoutstate.h"
#include "mediagenerator.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)

using namespace marquetrix;
using namespace marquetrix::bench;

namespace {

const char *const windowQml = R"(
import QtQuick
import Marquetrix
import Marquetrix.State
import Marquetrix.Playback

Window {
    id: window
    required property LayoutState layoutState
    required property ViewState viewState
    required property MediaEngine engine
    visible: true

    LayoutView {
        anchors.fill: parent
        layoutState: window.layoutState
        viewState: window.viewState
        engine: window.engine
    }
}
)";

struct Options
{
    int tiles = 9;
    int seconds = 15;
    int warmup = 4;
    QSize window{1920, 1080};
    QSize clip{1280, 720};
    int fps = 30;
};

std::shared_ptr<MediaListPlayer> openClip(MediaEngine &engine, const QString &clip)
{
    auto listPlayer = engine.createListPlayer({QStringLiteral("--avcodec-hw=none")});
    listPlayer->setMediaList(
        engine.createMediaList({engine.createMedia(QUrl::fromLocalFile(clip))}));
    return listPlayer;
}

void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The players alone: each draws into a sink that nothing shows.
double engineAlone(const Options &options, const QString &clip, qint64 &frames)
{
    VlcMediaEngine engine;
    std::vector<std::shared_ptr<MediaListPlayer>> players;
    std::vector<std::unique_ptr<QVideoSink>> sinks;
    std::atomic<qint64> delivered = 0;
    for (int i = 0; i < options.tiles; ++i) {
        players.push_back(openClip(engine, clip));
        sinks.push_back(std::make_unique<QVideoSink>());
        QObject::connect(sinks.back().get(), &QVideoSink::videoFrameChanged,
                         [&delivered](const QVideoFrame &frame) { delivered += frame.isValid(); });
        players.back()->mediaPlayer()->setDrawable(sinks.back().get());
        players.back()->play();
    }
    wait(options.warmup * 1000);
    ResourceMeter meter;
    const qint64 before = delivered;
    meter.start();
    wait(options.seconds * 1000);
    meter.stop();
    frames = delivered - before;
    for (auto &player : players) {
        player->stop();
        player->mediaPlayer()->setDrawable(nullptr);
    }
    return meter.cpuPerSecond();
}

struct WindowResult
{
    double cpu = 0;
    qint64 frames = 0;
    std::vector<double> frameMs;
    qint64 pictures = 0;
};

// The same players as tiles of the layout view in a window.
WindowResult inWindow(const Options &options, const QString &clip)
{
    WindowResult result;
    VlcMediaEngine engine;
    LayoutState layoutState;
    ViewState viewState;
    layoutState.setViewWidth(float(options.window.width()));
    layoutState.setViewHeight(float(options.window.height()));

    QQmlEngine qml;
    QQmlComponent component(&qml);
    component.setData(windowQml, QUrl());
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("layoutState"), QVariant::fromValue(&layoutState)},
         {QStringLiteral("viewState"), QVariant::fromValue(&viewState)},
         {QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(&engine)}}));
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    if (!window) {
        std::fprintf(stderr, "cannot make the window: %s\n", qPrintable(component.errorString()));
        return result;
    }
    window->resize(options.window);

    std::mutex mutex;
    std::vector<qint64> swaps;
    QElapsedTimer clock;
    clock.start();
    bool recording = false;
    // Emitted on the render thread.
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [&] {
            const std::lock_guard lock(mutex);
            if (recording)
                swaps.push_back(clock.nsecsElapsed());
        },
        Qt::DirectConnection);

    for (int i = 0; i < options.tiles; ++i) {
        auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), openClip(engine, clip));
        meta->setTitle(QStringLiteral("tile %1").arg(i + 1));
        layoutState.appendVideoMeta(meta);
    }
    wait(options.warmup * 1000);

    std::vector<QVideoSink *> sinks;
    for (const auto &meta : layoutState.videoMetas())
        if (QVideoSink *sink = meta->mediaPlayer()->mediaPlayer()->drawable())
            QObject::connect(
                sink, &QVideoSink::videoFrameChanged, window,
                [&result](const QVideoFrame &frame) { result.pictures += frame.isValid(); });

    ResourceMeter meter;
    {
        const std::lock_guard lock(mutex);
        recording = true;
    }
    meter.start();
    wait(options.seconds * 1000);
    meter.stop();
    {
        const std::lock_guard lock(mutex);
        recording = false;
    }
    result.cpu = meter.cpuPerSecond();
    result.frames = qint64(swaps.size());
    for (std::size_t i = 1; i < swaps.size(); ++i)
        result.frameMs.push_back(double(swaps[i] - swaps[i - 1]) / 1e6);

    viewState.setIsClosed(true);
    while (!layoutState.videoMetas().isEmpty())
        wait(50);
    return result;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tiles playing in a window, against the engine alone"));
    parser.addHelpOption();
    const QCommandLineOption tilesOption(QStringLiteral("tiles"), QStringLiteral("Tiles."),
                                         QStringLiteral("n"), QStringLiteral("9"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Measured seconds."), QStringLiteral("s"),
                                           QStringLiteral("15"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Window size."),
                                        QStringLiteral("WxH"), QStringLiteral("1920x1080"));
    parser.addOptions({tilesOption, secondsOption, sizeOption});
    parser.process(app);

    Options options;
    options.tiles = std::max(1, parser.value(tilesOption).toInt());
    options.seconds = std::max(1, parser.value(secondsOption).toInt());
    const QStringList size = parser.value(sizeOption).split(u'x');
    if (size.size() == 2)
        options.window = QSize(size[0].toInt(), size[1].toInt());

    test::MediaGenerator media;
    const QString clip = media.clip({.size = options.clip,
                                     .seconds = double(options.warmup + options.seconds + 10),
                                     .fps = options.fps});
    if (clip.isEmpty()) {
        std::fprintf(stderr, "cannot make the clip: %s\n", qPrintable(media.failure()));
        return 1;
    }

    std::fprintf(stderr, "engine alone...\n");
    qint64 engineFrames = 0;
    const double engineCpu = engineAlone(options, clip, engineFrames);
    std::fprintf(stderr, "tiles in the window...\n");
    const WindowResult window = inWindow(options, clip);

    const double seconds = options.seconds;
    std::printf("%d tiles of %dx%d@%d in a %dx%d window, %d s measured\n", options.tiles,
                options.clip.width(), options.clip.height(), options.fps, options.window.width(),
                options.window.height(), options.tiles > 0 ? options.seconds : 0);
    std::printf("window frames:       %.1f per second\n", double(window.frames) / seconds);
    std::printf("frame time:          median %.1f ms, p95 %.1f ms, max %.1f ms\n",
                percentile(window.frameMs, 0.5), percentile(window.frameMs, 0.95),
                percentile(window.frameMs, 1.0));
    std::printf("pictures delivered:  %.1f per second per tile in the window, %.1f alone\n",
                double(window.pictures) / seconds / options.tiles,
                double(engineFrames) / seconds / options.tiles);
    std::printf("CPU:                 %.2f cores with the window, %.2f for the engine alone, "
                "%.2f added by the UI\n",
                window.cpu, engineCpu, window.cpu - engineCpu);
    return 0;
}
