#include "medialink.h"

#include <QString>
#include <algorithm>
#include <array>

namespace marquetrix::resolver {

namespace {

// ".ts" is left out: in script text it names TypeScript sources far more often than
// transport-stream segments, and a page's own playlist names its segments anyway.
constexpr std::array mediaExtensions{".m3u8", ".mpd", ".mp4", ".m4v",  ".mov", ".webm", ".mkv",
                                     ".avi",  ".flv", ".ogv", ".mpeg", ".mpg", ".wmv"};

bool isHtmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isHtmlSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isHtmlSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

bool isWebUrl(const QUrl &url)
{
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
           !url.host().isEmpty();
}

bool hasMediaExtension(const QUrl &url)
{
    const QString path = url.path().toLower();
    return std::any_of(mediaExtensions.begin(), mediaExtensions.end(),
                       [&](const char *ext) { return path.endsWith(QLatin1String(ext)); });
}

std::optional<QUrl> parseWebLink(std::string_view text)
{
    const bool hasControl = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
    if (hasControl) {
        return std::nullopt;
    }
    const QUrl url(fromUtf8(text), QUrl::TolerantMode);
    if (!isWebUrl(url)) {
        return std::nullopt;
    }
    return url;
}

std::optional<QUrl> resolveReference(const QUrl &base, std::string_view reference)
{
    reference = trimmed(reference);
    if (reference.empty()) {
        return std::nullopt;
    }
    const QUrl relative(fromUtf8(reference), QUrl::TolerantMode);
    if (!relative.isValid()) {
        return std::nullopt;
    }
    const QUrl absolute = base.resolved(relative);
    if (!isWebUrl(absolute)) {
        return std::nullopt;
    }
    return absolute;
}

std::string encodedUrl(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded).toStdString();
}

} // namespace marquetrix::resolver
