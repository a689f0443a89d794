// The playlist reader, on M3U and XSPF bytes: every item it answers is an absolute path or a
// link, and every line of an M3U is an item, skipped, or a comment.

#include "fuzzcheck.h"
#include "playlistreader.h"

using namespace marquetrix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const bool xspf : {false, true}) {
        const PlaylistReader::Playlist playlist = PlaylistReader::read(content, "/pl", xspf);
        fuzz::check(playlist.skipped >= 0, "a negative count of skipped entries");
        for (const auto &[item, settings] : playlist.items)
            fuzz::check(!item.isEmpty() && (item.startsWith('/') || item.contains(':')),
                        "an item that is neither an absolute path nor a link");
        if (!xspf)
            fuzz::check(playlist.items.size() + playlist.skipped <= content.count('\n') + 1,
                        "more entries than lines");
    }
    PlaylistReader::isStream(content);
    return 0;
}
