// Measures playing many clips at once through the engine layer against plain libVLC.
//
//   marquetrix-playback-bench                      every case
//   marquetrix-playback-bench --players 4 --size 1280x720 --seconds 10 --json

#include "benchcase.h"
#include "ourplayback.h"
#include "vlcbaseline.h"

#include "mediagenerator.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>

using namespace marquetrix::bench;

namespace {

QJsonObject measure(const BenchCase &benchCase, marquetrix::test::MediaGenerator &media, bool quiet)
{
    const QString clip = media.clip(
        {.size = benchCase.size, .seconds = double(benchCase.seconds), .fps = benchCase.fps});
    if (clip.isEmpty()) {
        std::fprintf(stderr, "cannot make the clip: %s\n", qPrintable(media.failure()));
        return {};
    }
    if (!quiet)
        std::fprintf(stderr, "%s: ours...\n", qPrintable(benchCase.name()));
    const RunResult ours = runOurs(benchCase, clip);
    if (!quiet)
        std::fprintf(stderr, "%s: libVLC with callbacks...\n", qPrintable(benchCase.name()));
    const RunResult callbacks = runBaseline(benchCase, clip, Baseline::Callbacks);
    if (!quiet)
        std::fprintf(stderr, "%s: libVLC with its dummy output...\n", qPrintable(benchCase.name()));
    const RunResult dummy = runBaseline(benchCase, clip, Baseline::DummyOutput);

    const qint64 expected = qint64(benchCase.players) * benchCase.fps * benchCase.seconds;
    return QJsonObject{
        {"case", benchCase.name()},
        {"players", benchCase.players},
        {"framesDelivered", ours.frames},
        {"framesExpected", expected},
        {"framesCallbackBaseline", callbacks.frames},
        {"cpuOurs", ours.cpuPerSecond},
        {"cpuCallbackBaseline", callbacks.cpuPerSecond},
        {"cpuDummyBaseline", dummy.cpuPerSecond},
        {"ratioCallback",
         callbacks.cpuPerSecond > 0 ? ours.cpuPerSecond / callbacks.cpuPerSecond : 0.0},
        {"ratioDummy", dummy.cpuPerSecond > 0 ? ours.cpuPerSecond / dummy.cpuPerSecond : 0.0},
        {"peakRssMiB", ours.peakRssMiB},
        {"rssGrowthMiB", ours.rssGrowthMiB},
        {"rssGrowthCallbackBaselineMiB", callbacks.rssGrowthMiB},
        {"rssAfterReleaseMiB", ours.rssAfterReleaseMiB},
        {"complete", ours.complete && callbacks.complete && dummy.complete},
    };
}

void printTable(const QJsonArray &results)
{
    std::printf("%-14s %17s %9s %9s %9s %9s %8s %8s %9s %9s %9s %9s\n", "case", "frames",
                "cb frames", "cpu ours", "cpu cb", "cpu dummy", "ours/cb", "ours/dm", "peak MiB",
                "+MiB", "cb +MiB", "after MiB");
    for (const QJsonValue &value : results) {
        const QJsonObject row = value.toObject();
        std::printf("%-14s %8lld/%-8lld %9lld %9.3f %9.3f %9.3f %8.2f %8.2f %9.1f %9.1f %9.1f "
                    "%9.1f%s\n",
                    qPrintable(row["case"].toString()), qint64(row["framesDelivered"].toDouble()),
                    qint64(row["framesExpected"].toDouble()),
                    qint64(row["framesCallbackBaseline"].toDouble()), row["cpuOurs"].toDouble(),
                    row["cpuCallbackBaseline"].toDouble(), row["cpuDummyBaseline"].toDouble(),
                    row["ratioCallback"].toDouble(), row["ratioDummy"].toDouble(),
                    row["peakRssMiB"].toDouble(), row["rssGrowthMiB"].toDouble(),
                    row["rssGrowthCallbackBaselineMiB"].toDouble(),
                    row["rssAfterReleaseMiB"].toDouble(),
                    row["complete"].toBool() ? "" : "  (timed out)");
    }
    std::printf("cpu: CPU seconds per second of playback (all threads); cb: libVLC with video "
                "callbacks into dropped buffers; dummy: libVLC's dummy video output; +MiB: "
                "resident memory gained while playing; after MiB: resident memory once "
                "the players were released\n");
}

} // namespace

int main(int argc, char **argv)
{
    // Frames go to sinks, not to a screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays clips through the engine layer and through plain libVLC"));
    parser.addHelpOption();
    const QCommandLineOption playersOption("players", "Players at once.", "N");
    const QCommandLineOption sizeOption("size", "Clip size.", "WxH", "1280x720");
    const QCommandLineOption secondsOption("seconds", "Clip length.", "S", "10");
    const QCommandLineOption jsonOption("json", "Print one JSON array.");
    parser.addOptions({playersOption, sizeOption, secondsOption, jsonOption});
    parser.process(app);

    static const QRegularExpression sizePattern(QStringLiteral("^(\\d+)x(\\d+)$"));
    const QRegularExpressionMatch size = sizePattern.match(parser.value(sizeOption));
    const int seconds = parser.value(secondsOption).toInt();
    if (!size.hasMatch() || seconds <= 0) {
        std::fprintf(stderr, "--size takes WxH and --seconds a positive number\n");
        return 2;
    }

    QList<BenchCase> cases;
    if (parser.isSet(playersOption) || parser.isSet(sizeOption)) {
        BenchCase single;
        single.players = parser.isSet(playersOption) ? parser.value(playersOption).toInt() : 4;
        single.size = QSize(size.captured(1).toInt(), size.captured(2).toInt());
        single.seconds = seconds;
        if (single.players <= 0) {
            std::fprintf(stderr, "--players takes a positive number\n");
            return 2;
        }
        cases.append(single);
    } else {
        for (int players : {1, 4, 9})
            cases.append({.players = players, .seconds = seconds});
        cases.append({.players = 4, .size = {1920, 1080}, .seconds = seconds});
    }

    marquetrix::test::MediaGenerator media;
    QJsonArray results;
    for (const BenchCase &benchCase : cases)
        results.append(measure(benchCase, media, parser.isSet(jsonOption)));
    if (parser.isSet(jsonOption))
        std::printf("%s\n", QJsonDocument(results).toJson(QJsonDocument::Compact).constData());
    else
        printTable(results);
    return 0;
}
