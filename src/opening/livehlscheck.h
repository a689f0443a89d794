#pragma once

#include <QUrl>
#include <memory>

namespace marquetrix {

class VideoMetadata;

// Whether a link's path names an HLS playlist (".m3u8", in any case).
bool namesHlsPlaylist(const QUrl &url);

// Reads the HLS playlist at `url` (following a master playlist to its first variant) and
// marks the record a live source when the stream has no end: the engine gives a live
// playlist the length of its window and lets it seek, so it cannot tell. Returns at once;
// a playlist that cannot be read leaves the record as it is, and so does a record that is
// gone by then. Credentials in the URL go to its host only.
void checkLiveHls(const QUrl &url, const std::shared_ptr<VideoMetadata> &record);

} // namespace marquetrix
