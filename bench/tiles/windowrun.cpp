#include "windowrun.h"

#include "benchoptions.h"
#include "benchutil.h"
#include "resourcemeter.h"
#include "screenprobe.h"
#include "swapclock.h"
#include "systemload.h"

#include "layoutstate.h"
#include "medialistplayer.h"
#include "mediaplayer.h"
#include "videometadata.h"
#include "viewstate.h"
#include "vlcmediaengine.h"

#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QUuid>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <memory>

namespace marquetrix::bench {

namespace {

const char *const windowQml = R"(
import QtQuick
import Marquetrix
import Marquetrix.Playback
import Marquetrix.State

Window {
    id: window
    required property LayoutState layoutState
    required property ViewState viewState
    required property MediaEngine engine
    // Like the players it is set against: no frame, so that tiles and players sit at the
    // same places on the screen.
    flags: Qt.Window | Qt.FramelessWindowHint
    visible: true

    LayoutView {
        anchors.fill: parent
        layoutState: window.layoutState
        viewState: window.viewState
        engine: window.engine
    }
}
)";

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

} // namespace

WindowResult runInWindow(const BenchOptions &options, int tiles, const QString &clip)
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
    // Qt 6.4 crashes when a component that failed to load is asked for an object.
    if (!component.isReady()) {
        result.failure = QStringLiteral("cannot make the window: ") + component.errorString();
        return result;
    }
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("layoutState"), QVariant::fromValue(&layoutState)},
         {QStringLiteral("viewState"), QVariant::fromValue(&viewState)},
         {QStringLiteral("engine"), QVariant::fromValue<MediaEngine *>(&engine)}}));
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    if (!window) {
        result.failure = QStringLiteral("cannot make the window: ") + component.errorString();
        return result;
    }
    window->setPosition(0, 0);
    window->resize(options.window);
    SwapClock swaps(window);
    ScreenProbe probe(window);

    for (int i = 0; i < tiles; ++i) {
        auto meta = std::make_shared<VideoMetadata>(QUuid::createUuid(), openClip(engine, clip));
        meta->setTitle(QStringLiteral("tile %1").arg(i + 1));
        layoutState.appendVideoMeta(meta);
    }
    wait(options.warmup * 1000);

    if (!probe.locateTiles())
        result.failure = QStringLiteral(
            "the window is drawn neither with OpenGL nor by the CPU: no pictures read");
    result.tiles = probe.tiles();
    if (result.failure.isEmpty() && int(result.tiles.size()) != tiles)
        result.failure = QStringLiteral("%1 of %2 tiles in the window after %3 s")
                             .arg(result.tiles.size())
                             .arg(tiles)
                             .arg(options.warmup);

    // As long as the slowest tile needs to start, within bounds.
    probe.start();
    QElapsedTimer started;
    started.start();
    while (result.failure.isEmpty() && probe.tilesShowing() < tiles && started.elapsed() < 30000)
        wait(50);
    result.tilesStarted = probe.tilesShowing();
    probe.stop();
    if (options.paused) {
        // As the window's Pause All does it.
        viewState.setGlobalPause(true);
        for (const auto &meta : layoutState.videoMetas())
            meta->setDoPause(true);
        wait(1000);
    }

    // Only now: a tile hands its sink to its player once it starts.
    qint64 delivered = 0;
    for (const auto &meta : layoutState.videoMetas())
        if (QVideoSink *sink = meta->mediaPlayer()->mediaPlayer()->drawable())
            QObject::connect(
                sink, &QVideoSink::videoFrameChanged, window,
                [&delivered](const QVideoFrame &frame) { delivered += frame.isValid(); });

    ResourceMeter meter;
    const qint64 xServer = xServerPid();
    const double xServerBefore = processCpuSeconds(xServer);
    const WindowCpu windowBefore = windowCpuSeconds();
    swaps.setRecording(true);
    if (options.probe)
        probe.start();
    meter.start();
    wait(options.seconds * 1000);
    meter.stop();
    probe.stop();
    swaps.setRecording(false);
    const double xServerAfter = processCpuSeconds(xServer);
    const WindowCpu windowAfter = windowCpuSeconds();

    const double seconds = meter.wallSeconds();
    result.cores = meter.cpuPerSecond();
    if (xServerBefore >= 0 && xServerAfter >= 0)
        result.xServerCores = (xServerAfter - xServerBefore) / seconds;
    result.shownPerTile = double(probe.shown()) / seconds / tiles;
    result.unseenPerTile = double(probe.unseen()) / seconds / tiles;
    result.unreadable = probe.unreadable();
    result.deliveredPerTile = double(delivered) / seconds / tiles;
    result.windowFrames = double(swaps.frames()) / seconds;
    result.renderCores = (windowAfter.render - windowBefore.render) / seconds;
    result.guiCores = (windowAfter.gui - windowBefore.gui) / seconds;
    const std::vector<double> intervals = swaps.intervalsMs();
    result.frameMsMedian = percentile(intervals, 0.5);
    result.frameMsP95 = percentile(intervals, 0.95);
    result.frameMsMax = percentile(intervals, 1.0);

    viewState.setIsClosed(true);
    while (!layoutState.videoMetas().isEmpty())
        wait(50);
    return result;
}

} // namespace marquetrix::bench
