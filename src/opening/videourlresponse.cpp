#include "videourlresponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace marquetrix {

std::optional<VideoUrlResponse> VideoUrlResponse::decode(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue member = document.object().value(QLatin1String("urls"));
    if (!member.isArray())
        return std::nullopt;
    VideoUrlResponse response;
    for (const QJsonValue &entry : member.toArray()) {
        if (!entry.isString())
            return std::nullopt;
        response.urls.append(entry.toString());
    }
    return response;
}

} // namespace marquetrix
