#include "linkrequest.h"

#include "medialink.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace marquetrix::resolver {

LinkRequest parseLinkRequest(std::string_view body)
{
    LinkRequest request;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(body.data(), static_cast<qsizetype>(body.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        request.error = "The request body is not JSON (" + parseError.errorString().toStdString() +
                        "); send {\"url\": \"<page link>\"}.";
        return request;
    }
    const QJsonValue linkValue = document.object().value(QLatin1String("url"));
    if (!document.isObject() || !linkValue.isString()) {
        request.error = "The request must be a JSON object with a string \"url\".";
        return request;
    }
    request.linkText = linkValue.toString().toStdString();
    request.link = parseWebLink(*request.linkText);
    if (!request.link)
        request.error = "The link is not an http or https URL.";
    return request;
}

} // namespace marquetrix::resolver
