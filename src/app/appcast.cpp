#include "appcast.h"

#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

namespace marquetrix {

namespace {

const auto sparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isVersion(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d+(\\.\\d+)*$"));
    return pattern.match(text).hasMatch();
}

} // namespace

int compareVersions(const QString &a, const QString &b)
{
    const QStringList left = a.split(u'.');
    const QStringList right = b.split(u'.');
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        const qulonglong l = i < left.size() ? left[i].toULongLong() : 0;
        const qulonglong r = i < right.size() ? right[i].toULongLong() : 0;
        if (l != r)
            return l < r ? -1 : 1;
    }
    return 0;
}

std::optional<AppcastRelease> newestRelease(const QByteArray &feed, QString *error)
{
    QXmlStreamReader xml(feed);
    std::optional<AppcastRelease> newest;
    AppcastRelease item;
    // The shown version is what users and our own version compare with; the build number
    // stands in only when an item has no shown version.
    QString shortVersion;
    QString buildVersion;
    bool inItem = false;
    bool sawRss = false;
    const auto take = [](QString &into, const QString &text) {
        const QString trimmed = text.trimmed();
        if (into.isEmpty() && isVersion(trimmed))
            into = trimmed;
    };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rss")
                sawRss = true;
            if (xml.name() == u"item") {
                inItem = true;
                item = {};
                shortVersion.clear();
                buildVersion.clear();
            } else if (inItem && xml.namespaceUri() == sparkleNamespace &&
                       xml.name() == u"shortVersionString") {
                take(shortVersion, xml.readElementText());
            } else if (inItem && xml.namespaceUri() == sparkleNamespace &&
                       xml.name() == u"version") {
                take(buildVersion, xml.readElementText());
            } else if (inItem && xml.name() == u"enclosure") {
                const auto attributes = xml.attributes();
                take(shortVersion,
                     attributes.value(sparkleNamespace, QStringLiteral("shortVersionString"))
                         .toString());
                take(buildVersion,
                     attributes.value(sparkleNamespace, QStringLiteral("version")).toString());
                if (item.link.isEmpty())
                    item.link = QUrl(attributes.value(QStringLiteral("url")).toString());
            } else if (inItem && xml.name() == u"title") {
                item.title = xml.readElementText().trimmed();
            } else if (inItem && xml.name() == u"link") {
                item.link = QUrl(xml.readElementText().trimmed());
            }
        } else if (xml.isEndElement() && xml.name() == u"item") {
            inItem = false;
            item.version = shortVersion.isEmpty() ? buildVersion : shortVersion;
            if (!item.version.isEmpty() &&
                (!newest || compareVersions(item.version, newest->version) > 0))
                newest = item;
        }
    }
    if (xml.hasError() || !sawRss) {
        if (error)
            *error = xml.hasError() ? xml.errorString() : QStringLiteral("not an RSS feed");
        return std::nullopt;
    }
    if (!newest && error)
        *error = QStringLiteral("no release with a version");
    return newest;
}

} // namespace marquetrix
