#pragma once

#include "tilesettings.h"

#include <QByteArray>
#include <optional>

namespace marquetrix {

class VideoMetadata;

// One video to open as a tile, as the command line would name it (a path in the file
// system's bytes, or a link), with what to set on its tile.
struct OpeningItem
{
    QByteArray argument;
    TileSettings settings;

    // What opens the record's video again, without a password (the keyring gives it back):
    // the page of a stream found on one, else the engine's media. A local file is its path
    // when that reads as a line of text, else its file URL. None without a media.
    static std::optional<OpeningItem> of(const VideoMetadata &record);
};

} // namespace marquetrix
