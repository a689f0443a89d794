#pragma once

#include <QByteArray>
#include <QList>
#include <memory>

namespace marquetrix {

class VideoMetadata;

// The window's videos as an M3U8 playlist, in their order: "#EXTM3U", then per video
// "#EXTINF:<seconds>,<title>", the option lines of its tile (tileoptions.h) and what opens it
// again (OpeningItem::of). M3U8 rather than XSPF: it is the list every player opens (VLC, mpv,
// ffmpeg), VLC also starts and crops an entry by the engine options we share with it, and
// the rest are comments to the others.
class PlaylistWriter
{
public:
    static QByteArray write(const QList<std::shared_ptr<VideoMetadata>> &records);
};

} // namespace marquetrix
