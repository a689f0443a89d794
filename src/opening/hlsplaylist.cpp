#include "hlsplaylist.h"

namespace marquetrix {

std::optional<HlsPlaylist> HlsPlaylist::parse(const QByteArray &text, const QUrl &base)
{
    QList<QByteArray> lines = text.split('\n');
    QByteArray head = lines.value(0).trimmed();
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.mid(3);
    if (head != "#EXTM3U")
        return std::nullopt;
    HlsPlaylist playlist;
    bool segments = false;
    bool variantNext = false;
    for (const QByteArray &raw : lines.mid(1)) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (!line.startsWith('#')) {
            if (variantNext && !playlist.isMaster()) {
                const QUrl variant = base.resolved(QUrl::fromEncoded(line, QUrl::TolerantMode));
                if (variant.scheme() == u"http" || variant.scheme() == u"https")
                    playlist.m_firstVariant = variant;
            }
            variantNext = false;
        } else if (line.startsWith("#EXT-X-STREAM-INF")) {
            variantNext = true;
        } else if (line.startsWith("#EXT-X-TARGETDURATION")) {
            segments = true;
        } else if (line == "#EXT-X-ENDLIST") {
            playlist.m_ended = true;
        } else if (line == "#EXT-X-PLAYLIST-TYPE:VOD") {
            playlist.m_onDemand = true;
        }
    }
    if (!segments && !playlist.isMaster())
        return std::nullopt;
    return playlist;
}

} // namespace marquetrix
