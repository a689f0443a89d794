// How the tiles keep up: N tiles of a generated clip playing in a window, against the same
// players without a window and against N mpv players in windows of their own at the same
// places. The figure that counts is pictures shown: distinct video pictures that reached the
// screen, read back from the window's pixels (the clip carries its picture numbers). Run it
// with an X server and a window manager (scripts/test-session).
//
//   marquetrix-tiles-bench                          1, 4, 9 and 16 tiles, 15 s each
//   marquetrix-tiles-bench --tiles 4,9 --seconds 10 --load 2

#include "benchoptions.h"
#include "busyload.h"
#include "codedclip.h"
#include "enginerun.h"
#include "framecode.h"
#include "mpvrun.h"
#include "scenegraphchoice.h"
#include "systemload.h"
#include "windowrun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>
#include <optional>

Q_IMPORT_QML_PLUGIN(MarquetrixPlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_StatePlugin)
Q_IMPORT_QML_PLUGIN(Marquetrix_PlaybackPlugin)

using namespace marquetrix::bench;

namespace {

struct CaseResult
{
    int tiles = 0;
    WindowResult ours;
    std::optional<MpvResult> mpv;
    double load = 0;
};

std::optional<BenchOptions> parseOptions(const QGuiApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Pictures shown by tiles in one window, against mpv players in windows "
                       "of their own"));
    parser.addHelpOption();
    const QCommandLineOption tiles(QStringLiteral("tiles"),
                                   QStringLiteral("Tile counts to measure, comma separated."),
                                   QStringLiteral("list"), QStringLiteral("1,4,9,16"));
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Measured seconds per run."),
                                     QStringLiteral("s"), QStringLiteral("15"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Window size."),
                                  QStringLiteral("WxH"), QStringLiteral("1920x1080"));
    const QCommandLineOption load(
        QStringLiteral("load"),
        QStringLiteral("Busy processes to run beside the measurement (or run the benchmark "
                       "beside stress-ng --cpu 2)."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption noEngine(QStringLiteral("no-engine"),
                                      QStringLiteral("Skip the players without a window."));
    const QCommandLineOption noMpv(QStringLiteral("no-mpv"),
                                   QStringLiteral("Skip the mpv players."));
    const QCommandLineOption noProbe(
        QStringLiteral("no-probe"),
        QStringLiteral("Do not read the window's pixels while measuring (no pictures shown "
                       "counted), to see what reading them costs."));
    const QCommandLineOption paused(
        QStringLiteral("paused"),
        QStringLiteral("Pause every tile before measuring the window (mpv plays on)."));
    parser.addOptions({tiles, seconds, size, load, noEngine, noMpv, noProbe, paused});
    parser.process(app);

    BenchOptions options;
    options.tileCounts.clear();
    for (const QString &count : parser.value(tiles).split(u','))
        if (count.toInt() > 0)
            options.tileCounts.push_back(count.toInt());
    options.seconds = std::max(1, parser.value(seconds).toInt());
    const QStringList windowSize = parser.value(size).split(u'x');
    if (windowSize.size() == 2)
        options.window = QSize(windowSize[0].toInt(), windowSize[1].toInt());
    options.load = std::max(0, parser.value(load).toInt());
    options.engineAlone = !parser.isSet(noEngine);
    options.mpv = !parser.isSet(noMpv);
    options.probe = !parser.isSet(noProbe);
    options.paused = parser.isSet(paused);
    if (options.tileCounts.empty() || options.window.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return std::nullopt;
    }
    return options;
}

// Pictures shown per core, ours against mpv's.
double perCoreRatio(const CaseResult &result)
{
    if (!result.mpv || !result.mpv->failure.isEmpty() || result.ours.cores <= 0 ||
        result.mpv->cores <= 0 || result.mpv->shownPerTile <= 0)
        return 0;
    return (result.ours.shownPerTile / result.ours.cores) /
           (result.mpv->shownPerTile / result.mpv->cores);
}

// Not part of either side's cores: the X server serves both, and is not there on every
// desktop in the same form.
void printXServer(double cores)
{
    if (cores >= 0)
        std::printf("        the X server meanwhile: %.2f cores\n", cores);
}

CaseResult runCase(const BenchOptions &options, int tiles, const QString &clip)
{
    CaseResult result;
    result.tiles = tiles;
    std::printf("\n%d tile%s\n", tiles, tiles == 1 ? "" : "s");
    std::optional<EngineResult> engine;
    if (options.engineAlone) {
        std::fprintf(stderr, "%d players without a window...\n", tiles);
        engine = runEngineAlone(options, tiles, clip);
    }
    std::fprintf(stderr, "%d tiles in the window...\n", tiles);
    result.ours = runInWindow(options, tiles, clip);
    const WindowResult &ours = result.ours;
    if (!ours.failure.isEmpty())
        std::printf("  ours: %s\n", qPrintable(ours.failure));
    else if (ours.tilesStarted < tiles)
        std::printf("  ours: only %d tiles showed pictures before measuring\n", ours.tilesStarted);
    std::printf("  ours: %.1f pictures shown per tile per second, %.2f cores\n", ours.shownPerTile,
                ours.cores);
    std::printf("        %.1f delivered per tile per second, %.1f of them never shown; "
                "%lld unreadable tile readings\n",
                ours.deliveredPerTile, ours.unseenPerTile, ours.unreadable);
    std::printf("        window %.1f frames per second, frame time median %.1f ms, "
                "p95 %.1f ms, max %.1f ms\n",
                ours.windowFrames, ours.frameMsMedian, ours.frameMsP95, ours.frameMsMax);
    if (ours.windowFrames > 0)
        std::printf("        drawing: %.2f cores, %.1f ms of CPU per window frame; GUI thread "
                    "%.2f cores\n",
                    ours.renderCores, 1000 * ours.renderCores / ours.windowFrames, ours.guiCores);
    printXServer(ours.xServerCores);
    if (engine)
        std::printf("        without a window: %.1f delivered per tile per second, %.2f cores "
                    "(the window adds %.2f)\n",
                    engine->deliveredPerTile, engine->cores, ours.cores - engine->cores);
    if (options.mpv && ours.failure.isEmpty()) {
        std::fprintf(stderr, "%d mpv players...\n", tiles);
        result.mpv = runMpv(options, ours.tiles, clip);
        if (result.mpv->failure.isEmpty()) {
            std::printf("  mpv:  %.1f pictures shown per tile per second (%.1f dropped), "
                        "%.2f cores\n",
                        result.mpv->shownPerTile, result.mpv->droppedPerTile, result.mpv->cores);
            printXServer(result.mpv->xServerCores);
        } else {
            std::printf("  mpv:  skipped: %s\n", qPrintable(result.mpv->failure));
        }
    }
    result.load = loadAverage();
    if (perCoreRatio(result) > 0)
        std::printf("  pictures shown per core, ours / mpv: %.2f\n", perCoreRatio(result));
    std::printf("  load average %.2f\n", result.load);
    std::fflush(stdout);
    return result;
}

void printSummary(const std::vector<CaseResult> &results)
{
    std::printf("\n| Tiles | Ours: shown per tile per second | Ours: cores | mpv: shown per tile "
                "per second | mpv: cores | Shown per core, ours / mpv | Load average |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const CaseResult &result : results) {
        const bool mpv = result.mpv && result.mpv->failure.isEmpty();
        std::printf("| %d | %.1f | %.2f | %s | %s | %s | %.2f |\n", result.tiles,
                    result.ours.shownPerTile, result.ours.cores,
                    mpv ? qPrintable(QString::number(result.mpv->shownPerTile, 'f', 1)) : "-",
                    mpv ? qPrintable(QString::number(result.mpv->cores, 'f', 2)) : "-",
                    mpv ? qPrintable(QString::number(perCoreRatio(result), 'f', 2)) : "-",
                    result.load);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const std::optional<BenchOptions> options = parseOptions(app);
    if (!options)
        return 2;
    // As the app draws its window.
    const QString cpuDrawing = marquetrix::SceneGraphChoice::apply();

    QTemporaryDir directory;
    QString failure;
    const int longest = *std::max_element(options->tileCounts.begin(), options->tileCounts.end());
    // Long enough that no player reaches the end while measuring, however slowly the last
    // tile of the largest case starts.
    const double clipSeconds = options->warmup + options->seconds + 10 + longest / 2.0;
    std::fprintf(stderr, "encoding the clip...\n");
    const QString clip =
        directory.isValid()
            ? makeCodedClip(QDir(directory.path()).filePath(QStringLiteral("coded.mp4")),
                            options->clip, options->fps, clipSeconds, FrameCode::filter(), failure)
            : QString();
    if (clip.isEmpty()) {
        std::fprintf(stderr, "cannot make the clip: %s\n", qPrintable(failure));
        return 1;
    }

    const BusyLoad load(options->load);
    std::printf("Tiles of %dx%d@%d in a %dx%d window, %d s measured per run after %d s; "
                "%d busy processes beside\n",
                options->clip.width(), options->clip.height(), options->fps,
                options->window.width(), options->window.height(), options->seconds,
                options->warmup, options->load);
    std::printf("Our window is drawn %s\n",
                cpuDrawing.isEmpty()
                    ? "by the scene graph's default renderer"
                    : qPrintable(QStringLiteral("by Qt Quick's raster renderer, as OpenGL runs "
                                                "on the CPU (%1)")
                                     .arg(cpuDrawing)));
    std::vector<CaseResult> results;
    for (int tiles : options->tileCounts)
        results.push_back(runCase(*options, tiles, clip));
    printSummary(results);
    const bool failed = std::any_of(results.begin(), results.end(), [](const CaseResult &result) {
        return !result.ours.failure.isEmpty();
    });
    return failed ? 1 : 0;
}
