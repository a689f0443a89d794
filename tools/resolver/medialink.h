#pragma once

#include <QUrl>
#include <optional>
#include <string>
#include <string_view>

namespace marquetrix::resolver {

// An absolute http(s) URL with a host: the only kind the service fetches or answers.
bool isWebUrl(const QUrl &url);

// Whether the URL's path names a media file or playlist by its extension (any case).
bool hasMediaExtension(const QUrl &url);

// The link of a request, when it is an http(s) URL; control characters are refused
// rather than repaired, since nothing typed by a person holds them.
std::optional<QUrl> parseWebLink(std::string_view text);

// A reference found on a page (attribute value or string in a script), made absolute
// against base; empty when it is blank or does not lead to an http(s) URL.
std::optional<QUrl> resolveReference(const QUrl &base, std::string_view reference);

// The text form handed to clients, yt-dlp and the page fetcher.
std::string encodedUrl(const QUrl &url);

} // namespace marquetrix::resolver
