#include "secretredaction.h"

#include <QRegularExpression>
#include <QUrl>

namespace marquetrix {

namespace {

constexpr qsizetype maxLoggedUrls = 10;
constexpr qsizetype maxLoggedUrlLength = 500;

// Text that is no valid URL loses everything between its scheme and the last '@' of its
// authority: a password may hold an '@' of its own.
QString withoutUserInfo(QString text)
{
    const qsizetype scheme = text.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return withoutUrlCredentials(text);
    const qsizetype from = scheme + 3;
    qsizetype end = from;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#')
        ++end;
    const qsizetype at = end > from ? text.lastIndexOf(u'@', end - 1) : -1;
    if (at >= from)
        text.remove(from, at + 1 - from);
    return text;
}

QString loggableUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    QString shown = url.isValid() && !url.host().isEmpty() ? url.toString(QUrl::RemovePassword)
                                                           : withoutUserInfo(text);
    if (shown.size() > maxLoggedUrlLength) {
        shown.truncate(maxLoggedUrlLength);
        shown += QStringLiteral("...");
    }
    return shown;
}

} // namespace

QString withoutUrlCredentials(const QString &text)
{
    if (!text.contains(u'@'))
        return text;
    // "user:password@" up to the host: no blanks, quotes, slashes or further @ inside.
    static const QRegularExpression userInfo(QStringLiteral(R"([^\s/@'"`<>]+:[^\s/@'"`<>]*@)"));
    QString result = text;
    return result.replace(userInfo, QString());
}

QString loggableUrlList(const QStringList &urls)
{
    QStringList quoted;
    for (const QString &url : urls.first(std::min(urls.size(), maxLoggedUrls)))
        quoted.append(u'"' + loggableUrl(url) + u'"');
    QString text = u'[' + quoted.join(QStringLiteral(", ")) + u']';
    if (urls.size() > maxLoggedUrls)
        text += QStringLiteral(" and %1 more").arg(urls.size() - maxLoggedUrls);
    return text;
}

} // namespace marquetrix
