#include "vlcaudiooutput.h"

#include "logging.h"

#include <vlc/vlc.h>

#include <algorithm>

namespace marquetrix {

VlcAudioOutput::VlcAudioOutput(libvlc_media_player_t *player) : m_player(player) {}

void VlcAudioOutput::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    if (m_live)
        libvlc_audio_set_volume(m_player, m_volume);
}

void VlcAudioOutput::setMuted(bool muted)
{
    m_muted = muted;
    if (m_live)
        libvlc_audio_set_mute(m_player, muted ? 1 : 0);
}

void VlcAudioOutput::refresh()
{
    if (m_live)
        return;
    // -1 means there is no audio output yet.
    if (libvlc_audio_get_volume(m_player) < 0)
        return;
    m_live = true;
    libvlc_audio_set_volume(m_player, m_volume);
    libvlc_audio_set_mute(m_player, m_muted ? 1 : 0);
    qCDebug(lcEngine) << "Audio output ready; volume" << m_volume << "muted" << m_muted;
}

} // namespace marquetrix
