#include "mpvrun.h"

#include "benchoptions.h"
#include "benchutil.h"
#include "systemload.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace marquetrix::bench {

namespace {

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

double cpuSeconds(const std::vector<std::unique_ptr<QProcess>> &players)
{
    double total = 0;
    for (const auto &player : players)
        total += std::max(0.0, processCpuSeconds(player->processId()));
    return total;
}

void stopAll(std::vector<std::unique_ptr<QProcess>> &players)
{
    for (auto &player : players)
        player->terminate();
    for (auto &player : players)
        if (!player->waitForFinished(3000)) {
            player->kill();
            player->waitForFinished(1000);
        }
}

QString resultPath(const QTemporaryDir &dir, std::size_t index)
{
    return dir.filePath(QStringLiteral("result-%1").arg(index));
}

} // namespace

MpvResult runMpv(const BenchOptions &options, const std::vector<QRect> &tiles, const QString &clip)
{
    MpvResult result;
    const QString mpv = QStandardPaths::findExecutable(QStringLiteral("mpv"));
    if (mpv.isEmpty()) {
        result.failure =
            QStringLiteral("mpv is not installed (scripts/install-deps --bench adds it)");
        return result;
    }
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("tilesprobe.lua"));
    if (!dir.isValid() || !QFile::copy(QStringLiteral(":/tilesprobe.lua"), script)) {
        result.failure = QStringLiteral("cannot write the counting script to a temporary folder");
        return result;
    }
    const QString start = dir.filePath(QStringLiteral("start"));
    const QString stop = dir.filePath(QStringLiteral("stop"));

    std::vector<std::unique_ptr<QProcess>> players;
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const QRect &tile = tiles[i];
        auto player = std::make_unique<QProcess>();
        player->setProcessChannelMode(QProcess::MergedChannels);
        player->start(mpv,
                      {QStringLiteral("--no-config"), QStringLiteral("--vo=gpu"),
                       QStringLiteral("--gpu-sw"), QStringLiteral("--ao=null"),
                       QStringLiteral("--no-border"),
                       QStringLiteral("--geometry=%1x%2+%3+%4")
                           .arg(tile.width())
                           .arg(tile.height())
                           .arg(tile.x())
                           .arg(tile.y()),
                       QStringLiteral("--loop"), QStringLiteral("--msg-level=all=error"),
                       QStringLiteral("--no-input-terminal"), QStringLiteral("--script=") + script,
                       QStringLiteral("--script-opts=tilesprobe-start=%1,tilesprobe-stop=%2,"
                                      "tilesprobe-result=%3")
                           .arg(start, stop, resultPath(dir, i)),
                       clip});
        players.push_back(std::move(player));
    }
    wait(options.warmup * 1000);
    // As long as the slowest needs to start, within bounds.
    const QDeadlineTimer started(30000);
    for (std::size_t i = 0; i < players.size(); ++i)
        while (!QFile::exists(resultPath(dir, i) + QStringLiteral(".playing")) &&
               players[i]->state() == QProcess::Running && !started.hasExpired())
            wait(50);
    for (const auto &player : players)
        if (player->state() != QProcess::Running) {
            result.failure = QStringLiteral("an mpv player ended early: ") +
                             QString::fromLocal8Bit(player->readAll()).trimmed();
            stopAll(players);
            return result;
        }

    touch(start);
    const qint64 xServer = xServerPid();
    const double xServerBefore = processCpuSeconds(xServer);
    const double cpuBefore = cpuSeconds(players);
    QElapsedTimer clock;
    clock.start();
    wait(options.seconds * 1000);
    const double cpu = cpuSeconds(players) - cpuBefore;
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const double xServerAfter = processCpuSeconds(xServer);
    touch(stop);
    if (xServerBefore >= 0 && xServerAfter >= 0)
        result.xServerCores = (xServerAfter - xServerBefore) / wall;

    double shown = 0;
    double dropped = 0;
    const QDeadlineTimer deadline(5000);
    for (std::size_t i = 0; i < players.size(); ++i) {
        QFile file(resultPath(dir, i));
        while (!file.exists() && !deadline.hasExpired())
            wait(20);
        if (!file.open(QIODevice::ReadOnly)) {
            result.failure = QStringLiteral("mpv player %1 wrote no counts").arg(i + 1);
            break;
        }
        // seconds, pictures whose time went by, dropped by the output, dropped by the decoder
        const QList<QByteArray> counts = file.readAll().simplified().split(' ');
        const double seconds = counts.value(0).toDouble();
        if (counts.size() != 4 || seconds <= 0) {
            result.failure = QStringLiteral("mpv player %1 wrote unreadable counts").arg(i + 1);
            break;
        }
        const double lost = counts[2].toDouble() + counts[3].toDouble();
        shown += (counts[1].toDouble() - lost) / seconds;
        dropped += lost / seconds;
    }
    stopAll(players);
    const double tileCount = double(tiles.size());
    result.cores = cpu / wall;
    result.shownPerTile = shown / tileCount;
    result.droppedPerTile = dropped / tileCount;
    return result;
}

} // namespace marquetrix::bench
