#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

namespace marquetrix {

// The newest release an appcast (an RSS feed whose items carry `sparkle:version` or
// `sparkle:shortVersionString`, on the item or its enclosure) announces.
struct AppcastRelease
{
    QString version;
    QString title;
    QUrl link;
};

// The release with the highest version among the feed's items; none when the feed is not
// well-formed RSS or names no version.
std::optional<AppcastRelease> newestRelease(const QByteArray &feed, QString *error = nullptr);

// Compares dotted versions part by part as numbers ("1.10" > "1.9", "1.0" == "1"):
// negative, zero or positive as `a` is older, equal or newer.
int compareVersions(const QString &a, const QString &b);

} // namespace marquetrix
