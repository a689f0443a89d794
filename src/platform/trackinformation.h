#pragma once

#include <QString>
#include <optional>

namespace marquetrix {

// One entry of a media's track list. Only video tracks carry a picture size;
// the size is absent (not zero) on other tracks.
struct TrackInformation
{
    enum class Type { Video, Audio, Text, Unknown };
    Type type = Type::Unknown;
    std::optional<int> videoWidth;
    std::optional<int> videoHeight;
};

} // namespace marquetrix
