#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace marquetrix {

// The tests and clean-ups a typed or dropped link goes through before it is opened; shared
// by the open-by-link dialog and the window's command-line and drop paths.

// The link without surrounding blanks and line breaks, with "https://" put in front when it
// starts with none of "http://", "https://", "rtsp://", "rtsps://" (which is logged).
QString prefixedLink(const QString &text);

// An http, https, rtsp or rtsps URL (the scheme as typed, in lower case) with a host and a
// path of at least one character: https://example.com/ passes, https://example.com does not.
bool isValidVideoUrl(const QString &text);

// False for links that point straight at media: rtsp and rtsps links, and paths ending in a
// known video file extension (compared as typed: ".MP4" is not one). Those are opened
// directly; every other link goes to the resolver.
bool needsResolver(const QString &text);

// The scheme a link starts with ("scheme://", or "file:" alone), in lower case; empty for
// text that names no scheme, such as a path.
QString linkScheme(const QString &text);

// Whether links of the scheme (in lower case) are opened by the rules above.
bool isNetworkScheme(const QString &scheme);

// The file URL of an absolute path given as bytes, as the file system holds them (a name
// need not be UTF-8): every byte outside plain ASCII is percent-encoded, so that the name
// reaches the engine unchanged.
QUrl localFileUrl(const QByteArray &absolutePath);

// The path bytes a file URL names on this machine (no host, or "localhost"); empty for a
// file URL of another host, a relative one, or any other URL.
QByteArray localFilePath(const QUrl &url);

// A link as notices and log lines show it: without its password.
QString shownLink(const QString &link);

// The URL carrying the user name and password, without its query and fragment; the URL
// unchanged when both are empty; none when no URL can be formed.
std::optional<QUrl> urlWithCredentials(const QUrl &url, const QString &username,
                                       const QString &password);

// The first entry of a resolver answer as a URL the engine can open (http, https, rtsp or
// rtsps with a host), or none.
std::optional<QUrl> playableMediaUrl(const QStringList &urls);

} // namespace marquetrix
