#pragma once

#include "openingitem.h"

#include <QByteArray>
#include <QList>

namespace marquetrix {

// A local playlist file (M3U, M3U8 or XSPF) read into the items it names, each as the command
// line would give it: an absolute path in the file system's bytes, or a link. An M3U entry's
// option lines (tileoptions.h, as our own playlists carry them) set up its tile. An M3U8 file
// that names stream segments (#EXT-X- tags) is an HLS stream, not a list of videos: the
// engine plays it.
class PlaylistReader
{
public:
    struct Playlist
    {
        QList<OpeningItem> items;
        // Entries that name nothing that could be opened (control characters in a line, a
        // track without a location, the rest of a file whose XML breaks off).
        int skipped = 0;
    };

    // By the name's extension, in any case.
    static bool isPlaylistName(const QByteArray &path);
    static bool isStream(const QByteArray &content);
    // `directory` (absolute, bytes) is where relative entries are found.
    static Playlist read(const QByteArray &content, const QByteArray &directory, bool xspf);

private:
    static Playlist readM3u(const QByteArray &content, const QByteArray &directory);
    static Playlist readXspf(const QByteArray &content, const QByteArray &directory);
};

} // namespace marquetrix
