#pragma once

#include <QByteArray>
#include <QUrl>
#include <optional>

namespace marquetrix {

// What an HLS playlist says about its stream. A master playlist only names its variants; a
// media playlist is live while it has no end list and is not marked on-demand (a growing
// event playlist counts as live until it ends).
class HlsPlaylist
{
public:
    // Nothing when the text is no HLS playlist: no #EXTM3U head, or neither a target duration
    // (which every media playlist has, and a plain list of files has not) nor variants.
    static std::optional<HlsPlaylist> parse(const QByteArray &text, const QUrl &base);

    bool isMaster() const { return m_firstVariant.isValid(); }
    // The first variant's http or https URL, resolved against the playlist's own; a relative
    // one keeps the playlist's host and with it its credentials, an absolute one carries none
    // of them.
    QUrl firstVariant() const { return m_firstVariant; }
    bool isLive() const { return !isMaster() && !m_ended && !m_onDemand; }

private:
    QUrl m_firstVariant;
    bool m_ended = false;
    bool m_onDemand = false;
};

} // namespace marquetrix
