#pragma once

#include "audiooutput.h"

struct libvlc_media_player_t;

namespace marquetrix {

// Volume and mute as the user chose them. libVLC forgets both whenever its audio output
// goes away (before playback, after a stop) and its dummy output always reports zero, so
// our own values are the truth and are applied again whenever an output appears.
class VlcAudioOutput : public AudioOutput
{
public:
    explicit VlcAudioOutput(libvlc_media_player_t *player);

    int volume() const override { return m_volume; }
    void setVolume(int volume) override;
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override;

    bool isLive() const { return m_live; }
    // Checks whether libVLC has an audio output now; applies our values when one appeared.
    void refresh();
    void lost() { m_live = false; }

private:
    libvlc_media_player_t *m_player;
    int m_volume = 100;
    bool m_muted = false;
    bool m_live = false;
};

} // namespace marquetrix
