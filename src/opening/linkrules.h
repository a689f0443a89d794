#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace marquetrix {

// The tests and clean-ups a typed or dropped link goes through before it is opened; shared
// by the open-by-link dialog and the window's command-line and drop paths.

// The link without surrounding blanks and line breaks, with "https://" put in front when it
// starts with none of "http://", "https://", "rtsp://" (which is logged).
QString prefixedLink(const QString &text);

// An http, https or rtsp URL (the scheme as typed, in lower case) with a host and a path of
// at least one character: https://example.com/ passes, https://example.com does not.
bool isValidVideoURL(const QString &text);

// False for links that point straight at media: rtsp links, and paths ending in a known
// video file extension (compared as typed: ".MP4" is not one). Those are opened directly;
// every other link goes to the resolver.
bool needsResolver(const QString &text);

// The URL carrying the user name and password, without its query and fragment; the URL
// unchanged when both are empty; none when no URL can be formed.
std::optional<QUrl> urlWithCredentials(const QUrl &url, const QString &username,
                                       const QString &password);

// The first entry of a resolver answer as a URL the engine can open (http, https or rtsp with
// a host), or none.
std::optional<QUrl> playableMediaUrl(const QStringList &urls);

// ["a", "b"], as the resolver's answer is logged.
QString listLiteral(const QStringList &entries);

} // namespace marquetrix
