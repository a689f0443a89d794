#include "linkrules.h"

#include "openinglogging.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cstdio>

namespace marquetrix {

namespace {

constexpr std::array kKnownExtensions = {".mkv", ".mp4", ".avi", ".mpeg", ".mpg",
                                         ".wmv", ".m4v", ".flv", ".m3u8", ".ts"};

// rtsps runs through the same RTSP bridge as rtsp, over TLS.
constexpr std::array kNetworkSchemes = {"http", "https", "rtsp", "rtsps"};
constexpr std::array kKeptPrefixes = {"http://", "https://", "rtsp://", "rtsps://"};

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
    for (const char *prefix : kKeptPrefixes) {
        if (link.startsWith(QLatin1String(prefix)))
            return link;
    }
    qCInfo(lcVideoOpener, "Missing prefix in URL %s. Adding 'https://' prefix.",
           qUtf8Printable(withoutUserInfo(link)));
    return QStringLiteral("https://") + link;
}

bool isValidVideoUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = typedScheme(text);
    if (!isNetworkScheme(scheme))
        return false;
    return !url.host().isEmpty() && !url.path(QUrl::FullyEncoded).isEmpty();
}

bool needsResolver(const QString &text)
{
    const QString lower = text.toLower();
    if (lower.startsWith(u"rtsp://") || lower.startsWith(u"rtsps://")) {
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
    if (!url.isValid() || url.host().isEmpty() || !isNetworkScheme(url.scheme()))
        return std::nullopt;
    return url;
}

QString linkScheme(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    const QRegularExpressionMatch match = scheme.match(text);
    if (match.hasMatch())
        return match.captured(1).toLower();
    // Some desktops hand files over as file:/path.
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QStringLiteral("file");
    return {};
}

bool isNetworkScheme(const QString &scheme)
{
    return std::any_of(kNetworkSchemes.begin(), kNetworkSchemes.end(),
                       [&scheme](const char *known) { return scheme == QLatin1String(known); });
}

QUrl localFileUrl(const QByteArray &absolutePath)
{
    return QUrl::fromEncoded("file://" + absolutePath.toPercentEncoding("/"), QUrl::StrictMode);
}

QByteArray localFilePath(const QUrl &url)
{
    if (!url.isValid() || url.scheme() != u"file")
        return {};
    if (!url.host().isEmpty() && url.host() != u"localhost")
        return {};
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return path.startsWith('/') ? path : QByteArray();
}

QString shownLink(const QString &link)
{
    const QUrl url(link, QUrl::StrictMode);
    if (url.isValid() && url.isLocalFile())
        return url.toDisplayString(QUrl::PreferLocalFile);
    if (url.isValid() && !url.host().isEmpty())
        return url.toDisplayString(QUrl::RemovePassword);
    return withoutUserInfo(link);
}

} // namespace marquetrix
