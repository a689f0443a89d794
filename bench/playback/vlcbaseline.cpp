#include "vlcbaseline.h"

#include "resourcemeter.h"

#include <QThread>
#include <vlc/vlc.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace marquetrix::bench {

namespace {

unsigned align32(unsigned value)
{
    return (value + 31) & ~31u;
}

// One player's callback state: a buffer VLC writes into, never looked at.
struct Sink
{
    libvlc_media_player_t *player = nullptr;
    std::vector<unsigned char> buffer;
    unsigned char *planes[3] = {};
    std::atomic<qint64> *frames = nullptr;

    static unsigned format(void **opaque, char *chroma, unsigned *width, unsigned *height,
                           unsigned *pitches, unsigned *lines)
    {
        auto *self = static_cast<Sink *>(*opaque);
        // Ask for the visible size as our layer does; the offered one is padded.
        unsigned w = 0;
        unsigned h = 0;
        if (libvlc_video_get_size(self->player, 0, &w, &h) == 0 && w && h && w <= *width &&
            h <= *height) {
            *width = w;
            *height = h;
        }
        std::memcpy(chroma, "I420", 4);
        pitches[0] = align32(*width);
        pitches[1] = pitches[2] = align32((*width + 1) / 2);
        lines[0] = align32(*height);
        lines[1] = lines[2] = align32((*height + 1) / 2);
        self->buffer.assign(size_t(pitches[0]) * lines[0] + 2 * size_t(pitches[1]) * lines[1], 0);
        self->planes[0] = self->buffer.data();
        self->planes[1] = self->planes[0] + size_t(pitches[0]) * lines[0];
        self->planes[2] = self->planes[1] + size_t(pitches[1]) * lines[1];
        return 1;
    }
    static void *lock(void *opaque, void **planes)
    {
        auto *self = static_cast<Sink *>(opaque);
        for (int i = 0; i < 3; ++i)
            planes[i] = self->planes[i];
        return nullptr;
    }
    static void display(void *opaque, void *) { ++*static_cast<Sink *>(opaque)->frames; }
};

} // namespace

RunResult runBaseline(const BenchCase &benchCase, const QString &clip, Baseline baseline)
{
    std::vector<const char *> arguments{"--no-video-title-show", "--aout=adummy"};
    if (baseline == Baseline::DummyOutput)
        arguments.push_back("--vout=dummy");
    libvlc_instance_t *instance = libvlc_new(int(arguments.size()), arguments.data());
    if (!instance)
        return {};
    libvlc_log_set(
        instance, [](void *, int, const libvlc_log_t *, const char *, va_list) {}, nullptr);

    std::atomic<qint64> frames{0};
    std::vector<Sink> sinks(size_t(benchCase.players));
    std::vector<libvlc_media_player_t *> players;
    for (Sink &sink : sinks) {
        libvlc_media_t *media = libvlc_media_new_path(instance, clip.toUtf8().constData());
        libvlc_media_add_option(media, ":avcodec-hw=none");
        libvlc_media_player_t *player = libvlc_media_player_new_from_media(media);
        libvlc_media_release(media);
        sink.player = player;
        sink.frames = &frames;
        if (baseline == Baseline::Callbacks) {
            libvlc_video_set_format_callbacks(player, Sink::format, nullptr);
            libvlc_video_set_callbacks(player, Sink::lock, nullptr, Sink::display, &sink);
        }
        players.push_back(player);
    }

    ResourceMeter meter;
    meter.start();
    for (libvlc_media_player_t *player : players)
        libvlc_media_player_play(player);
    const auto done = [&players] {
        for (libvlc_media_player_t *player : players) {
            const libvlc_state_t state = libvlc_media_player_get_state(player);
            if (state != libvlc_Ended && state != libvlc_Error)
                return false;
        }
        return true;
    };
    const int limitMs = (benchCase.seconds * 3 + 10) * 1000;
    int waitedMs = 0;
    while (!done() && waitedMs < limitMs) {
        QThread::msleep(20);
        waitedMs += 20;
        if (waitedMs % 100 == 0)
            meter.sample();
    }
    meter.stop();

    RunResult result;
    result.frames = frames.load();
    result.cpuPerSecond = meter.cpuPerSecond();
    result.peakRssMiB = meter.peakRssMiB();
    result.rssGrowthMiB = meter.rssGrowthMiB();
    result.complete = done();
    for (libvlc_media_player_t *player : players) {
        libvlc_media_player_stop(player);
        libvlc_media_player_release(player);
    }
    libvlc_release(instance);
    return result;
}

} // namespace marquetrix::bench
