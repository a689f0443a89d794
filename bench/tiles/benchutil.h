#pragma once

#include <QString>

#include <memory>

namespace marquetrix {
class MediaEngine;
class MediaListPlayer;
} // namespace marquetrix

namespace marquetrix::bench {

// A player of the clip, set up as the window's tiles set up theirs.
std::shared_ptr<MediaListPlayer> openClip(MediaEngine &engine, const QString &clip);

// Runs the event loop for the given time.
void wait(int milliseconds);

} // namespace marquetrix::bench
