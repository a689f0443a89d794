#include "playlistreader.h"

#include "linkrules.h"
#include "tileoptions.h"

#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>

namespace marquetrix {

namespace {

bool hasControlCharacters(const QByteArray &line)
{
    return std::any_of(line.cbegin(), line.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
}

// An entry with a scheme stays a link; anything else is a path, relative to the playlist.
QByteArray argumentFor(const QByteArray &entry, const QByteArray &directory)
{
    if (!linkScheme(QString::fromUtf8(entry)).isEmpty() || entry.startsWith('/'))
        return entry;
    return directory + '/' + entry;
}

} // namespace

bool PlaylistReader::isPlaylistName(const QByteArray &path)
{
    const QByteArray lower = path.toLower();
    return lower.endsWith(".m3u") || lower.endsWith(".m3u8") || lower.endsWith(".xspf");
}

bool PlaylistReader::isStream(const QByteArray &content)
{
    return content.startsWith("#EXT-X-") || content.contains("\n#EXT-X-");
}

PlaylistReader::Playlist PlaylistReader::read(const QByteArray &content,
                                              const QByteArray &directory, bool xspf)
{
    return xspf ? readXspf(content, directory) : readM3u(content, directory);
}

PlaylistReader::Playlist PlaylistReader::readM3u(const QByteArray &content,
                                                 const QByteArray &directory)
{
    Playlist playlist;
    TileSettings settings;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        line = line.trimmed();
        // #EXTM3U, #EXTINF titles and other comments: the entries follow on their own lines.
        if (line.startsWith('#'))
            readTileOption(line, settings);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (hasControlCharacters(line))
            ++playlist.skipped;
        else
            playlist.items.append({argumentFor(line, directory), settings});
        settings = {};
    }
    return playlist;
}

PlaylistReader::Playlist PlaylistReader::readXspf(const QByteArray &content,
                                                  const QByteArray &directory)
{
    Playlist playlist;
    const QUrl base = QUrl::fromLocalFile(QString::fromLocal8Bit(directory) + QLatin1Char('/'));
    QXmlStreamReader xml(content);
    bool inTrack = false;
    bool located = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"track") {
            inTrack = true;
            located = false;
        } else if (xml.isEndElement() && xml.name() == u"track") {
            inTrack = false;
            playlist.skipped += located ? 0 : 1;
        } else if (inTrack && !located && xml.isStartElement() && xml.name() == u"location") {
            // Locations are URIs, relative ones to the playlist's own place.
            const QUrl location = base.resolved(QUrl(xml.readElementText().trimmed()));
            const QString localPath = location.isLocalFile() ? location.toLocalFile() : QString();
            // A file URL names something only with an absolute path ("file:a/b" does not).
            const QByteArray item = !location.isValid()          ? QByteArray()
                                    : !location.isLocalFile()    ? location.toEncoded()
                                    : localPath.startsWith(u'/') ? QFile::encodeName(localPath)
                                                                 : QByteArray();
            located = !item.isEmpty();
            if (located)
                playlist.items.append({item, {}});
        }
    }
    if (xml.hasError())
        ++playlist.skipped;
    return playlist;
}

} // namespace marquetrix
