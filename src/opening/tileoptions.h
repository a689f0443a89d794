#pragma once

#include "tilesettings.h"

#include <QByteArray>
#include <QList>

namespace marquetrix {

// A tile's settings as the option lines of an M3U entry, written before its location:
//   #EXTVLCOPT:start-time=12.5          (the engine's own option: other players start there too)
//   #EXTVLCOPT:crop=9:16                (the engine's own crop option, in its words)
//   #EXTVLCOPT:marquetrix-loop=1        (ours; other players pass over options they do not know)
//   #EXTVLCOPT:marquetrix-mute=1
//   #EXTVLCOPT:marquetrix-volume=40
// Only what differs from a newly opened tile is written.
QList<QByteArray> tileOptionLines(const TileSettings &settings);

// Takes one such line into `settings`; another player's option, or a value that does not
// read, leaves `settings` as it was.
void readTileOption(const QByteArray &line, TileSettings &settings);

} // namespace marquetrix
