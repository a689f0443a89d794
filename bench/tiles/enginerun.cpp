#include "enginerun.h"

#include "benchoptions.h"
#include "benchutil.h"
#include "resourcemeter.h"

#include "medialistplayer.h"
#include "mediaplayer.h"
#include "vlcmediaengine.h"

#include <QVideoFrame>
#include <QVideoSink>

#include <atomic>
#include <memory>
#include <vector>

namespace marquetrix::bench {

EngineResult runEngineAlone(const BenchOptions &options, int tiles, const QString &clip)
{
    VlcMediaEngine engine;
    std::vector<std::shared_ptr<MediaListPlayer>> players;
    std::vector<std::unique_ptr<QVideoSink>> sinks;
    std::atomic<qint64> delivered = 0;
    for (int i = 0; i < tiles; ++i) {
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
    EngineResult result;
    result.cores = meter.cpuPerSecond();
    result.deliveredPerTile = double(delivered - before) / meter.wallSeconds() / tiles;
    for (auto &player : players) {
        player->stop();
        player->mediaPlayer()->setDrawable(nullptr);
    }
    return result;
}

} // namespace marquetrix::bench
