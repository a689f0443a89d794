#pragma once

#include <QString>

namespace marquetrix {

class VideoMetadata;

// What a user set on a tile that outlives the window: where it stands, its crop, loop, mute
// and volume. The defaults are a newly opened tile's, so applying them changes nothing.
struct TileSettings
{
    // Seconds from the start.
    float position = 0;
    // "16:9", "9:16", or empty for the picture as it is (the crop requests' own words).
    QString crop;
    bool loop = false;
    bool muted = false;
    // 0 to 100.
    float volume = 100;

    static TileSettings of(const VideoMetadata &record);
    // Before the record has its tile: the tile takes its seeds from the record, and a position
    // other than the start is a seek that waits for the player.
    void applyTo(VideoMetadata &record) const;
    // The crop's aspect ratio; 0 without one.
    static float cropRatio(const QString &crop);
    // The crop of a record's forced aspect ratio; empty for none.
    static QString cropFor(float ratio);

    friend bool operator==(const TileSettings &, const TileSettings &) = default;
};

} // namespace marquetrix
