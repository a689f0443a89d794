#pragma once

#include "openingitem.h"

#include <QByteArray>
#include <QList>
#include <memory>
#include <optional>

namespace marquetrix {

class VideoMetadata;

// What a window leaves for its next start: its videos in order, each with its tile's
// settings, and the layout objective. Kept as JSON:
//   {"version": 1, "layoutAlgorithm": 1,
//    "tiles": [{"item": "/v/a.mp4", "position": 12.5, "crop": "9:16", "loop": true,
//               "muted": false, "volume": 80}]}
struct SessionSnapshot
{
    QList<OpeningItem> tiles;
    // As the settings store it.
    int layoutAlgorithm = 1;

    static SessionSnapshot of(const QList<std::shared_ptr<VideoMetadata>> &records,
                              int layoutAlgorithm);
    QByteArray toJson() const;
    // None for anything that is not such a document, down to a tile without its item.
    static std::optional<SessionSnapshot> fromJson(const QByteArray &json);
};

} // namespace marquetrix
