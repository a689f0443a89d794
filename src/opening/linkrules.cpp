#include "linkrules.h"

#include "logging.h"

#include <array>
#include <cstdio>

namespace marquetrix {

namespace {

constexpr std::array kKnownExtensions = {".mkv", ".mp4", ".avi", ".mpeg", ".mpg",
                                         ".wmv", ".m4v", ".flv", ".m3u8", ".ts"};

// QUrl lowers the scheme; the link's own spelling is what counts.
QString typedScheme(const QString &text)
{
    const qsizetype colon = text.indexOf(u':');
    return colon < 0 ? QString() : text.left(colon);
}

// A link as it is logged: as typed, without the user name and password it may carry.
QString withoutUserInfo(const QString &link)
{
    const qsizetype schemeEnd = link.indexOf(QLatin1String("://"));
    const qsizetype authority = schemeEnd < 0 ? 0 : schemeEnd + 3;
    const qsizetype authorityEnd = link.indexOf(u'/', authority);
    const qsizetype at = link.lastIndexOf(u'@', authorityEnd < 0 ? -1 : authorityEnd);
    if (at < authority)
        return link;
    return link.left(authority) + link.mid(at + 1);
}

} // namespace

QString prefixedLink(const QString &text)
{
    const QString link = text.trimmed();
    if (link.startsWith(u"http://") || link.startsWith(u"https://") || link.startsWith(u"rtsp://"))
        return link;
    qCInfo(lcVideoOpener, "Missing prefix in URL %s. Adding 'https://' prefix.",
           qUtf8Printable(withoutUserInfo(link)));
    return QStringLiteral("https://") + link;
}

bool isValidVideoURL(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = typedScheme(text);
    if (scheme != u"http" && scheme != u"https" && scheme != u"rtsp")
        return false;
    return !url.host().isEmpty() && !url.path(QUrl::FullyEncoded).isEmpty();
}

bool needsResolver(const QString &text)
{
    if (text.toLower().startsWith(u"rtsp://")) {
        std::puts("Not streaming");
        std::fflush(stdout);
        return false;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return true;
    const QString path = url.path(QUrl::FullyEncoded);
    for (const char *extension : kKnownExtensions) {
        if (path.endsWith(QLatin1String(extension)))
            return false;
    }
    return true;
}

std::optional<QUrl> urlWithCredentials(const QUrl &url, const QString &username,
                                       const QString &password)
{
    if (username.isEmpty() && password.isEmpty())
        return url;
    QUrl result;
    result.setScheme(url.scheme());
    result.setHost(url.host());
    result.setPort(url.port());
    result.setPath(url.path(QUrl::FullyDecoded), QUrl::DecodedMode);
    // Empty, not null: an empty field stays an empty component of the URL.
    result.setUserName(username.isNull() ? QStringLiteral("") : username, QUrl::DecodedMode);
    result.setPassword(password.isNull() ? QStringLiteral("") : password, QUrl::DecodedMode);
    if (!result.isValid() || result.host().isEmpty())
        return std::nullopt;
    return result;
}

std::optional<QUrl> playableMediaUrl(const QStringList &urls)
{
    if (urls.isEmpty())
        return std::nullopt;
    const QUrl url(urls.first(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != u"http" && scheme != u"https" && scheme != u"rtsp"))
        return std::nullopt;
    return url;
}

QString listLiteral(const QStringList &entries)
{
    QStringList quoted;
    quoted.reserve(entries.size());
    for (const QString &entry : entries)
        quoted.append(u'"' + entry + u'"');
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

} // namespace marquetrix
