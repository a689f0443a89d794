// RTSP server for the tests built on libVLC's own stream output: serves a clip, looped,
// at rtsp://127.0.0.1:PORT/live over RTP/UDP (the only transport it offers), without
// authentication. Prints "ready PORT" once streaming and runs until its standard input
// closes or it is killed, so a crashed test leaves no server behind.
//
//   marquetrix-rtsp-vlc-server CLIP PORT

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vlc/vlc.h>

namespace {

std::mutex stateMutex;
std::condition_variable stateChanged;
bool playing = false;
bool failed = false;

void onEvent(const libvlc_event_t *event, void *)
{
    std::lock_guard lock(stateMutex);
    if (event->type == libvlc_MediaPlayerPlaying)
        playing = true;
    else
        failed = true;
    stateChanged.notify_all();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CLIP PORT\n", argv[0]);
        return 2;
    }
    const char *args[] = {"--quiet", "--no-video", "--aout=adummy"};
    libvlc_instance_t *instance = libvlc_new(3, args);
    if (!instance)
        return 1;
    libvlc_media_t *media = libvlc_media_new_path(instance, argv[1]);
    const std::string sout = std::string(":sout=#rtp{sdp=rtsp://127.0.0.1:") + argv[2] + "/live}";
    libvlc_media_add_option(media, sout.c_str());
    libvlc_media_add_option(media, ":sout-keep");
    libvlc_media_add_option(media, ":sout-all");
    libvlc_media_add_option(media, ":input-repeat=100");
    libvlc_media_player_t *player = libvlc_media_player_new_from_media(media);
    libvlc_media_release(media);

    libvlc_event_manager_t *events = libvlc_media_player_event_manager(player);
    libvlc_event_attach(events, libvlc_MediaPlayerPlaying, onEvent, nullptr);
    libvlc_event_attach(events, libvlc_MediaPlayerEncounteredError, onEvent, nullptr);
    libvlc_media_player_play(player);
    bool ok = false;
    {
        std::unique_lock lock(stateMutex);
        stateChanged.wait(lock, [] { return playing || failed; });
        ok = playing;
    }
    if (ok) {
        std::printf("ready %s\n", argv[2]);
        std::fflush(stdout);
        while (std::fgetc(stdin) != EOF) {
        }
    }
    libvlc_event_detach(events, libvlc_MediaPlayerPlaying, onEvent, nullptr);
    libvlc_event_detach(events, libvlc_MediaPlayerEncounteredError, onEvent, nullptr);
    libvlc_media_player_stop(player);
    libvlc_media_player_release(player);
    libvlc_release(instance);
    return ok ? 0 : 1;
}
