#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace marquetrix {

// The resolver's answer: the media URLs found on the page, in the service's order.
struct VideoUrlResponse
{
    QStringList urls;

    // A JSON object whose member "urls" is an array of strings; other members are ignored.
    // None for anything else.
    static std::optional<VideoUrlResponse> decode(const QByteArray &data);
};

} // namespace marquetrix
