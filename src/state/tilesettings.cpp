#include "tilesettings.h"

#include "videometadata.h"

#include <algorithm>
#include <cmath>

namespace marquetrix {

namespace {

const auto landscape = QStringLiteral("16:9");
const auto portrait = QStringLiteral("9:16");

} // namespace

TileSettings TileSettings::of(const VideoMetadata &record)
{
    // Whole milliseconds and volume steps: what is written as text reads back the same.
    const float position = std::isfinite(record.position()) ? record.position() : 0;
    return {.position = std::round(std::max(0.0f, position) * 1000) / 1000,
            .crop = cropFor(record.overriddenAR()),
            .loop = record.repeatEnabled(),
            .muted = record.muted(),
            .volume = std::round(std::clamp(record.volume(), 0.0f, 100.0f))};
}

void TileSettings::applyTo(VideoMetadata &record) const
{
    record.setPosition(position);
    if (position > 0)
        record.setPositionChanged(true);
    record.setOverriddenAR(cropRatio(crop));
    record.setRepeatEnabled(loop);
    record.setMuted(muted);
    record.setVolume(std::clamp(volume, 0.0f, 100.0f));
}

float TileSettings::cropRatio(const QString &crop)
{
    if (crop == landscape)
        return 16.0f / 9.0f;
    return crop == portrait ? 9.0f / 16.0f : 0;
}

QString TileSettings::cropFor(float ratio)
{
    if (ratio == 0)
        return {};
    return ratio > 1 ? landscape : portrait;
}

} // namespace marquetrix
