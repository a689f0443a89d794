#include "playlistwriter.h"

#include "openingitem.h"
#include "secretredaction.h"
#include "tileoptions.h"
#include "videometadata.h"

#include <QString>
#include <cmath>

namespace marquetrix {

namespace {

// On one line, whatever the page called itself.
QByteArray titleLine(const QString &title)
{
    QString line = title;
    for (QChar &c : line) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return line.simplified().toUtf8();
}

} // namespace

QByteArray PlaylistWriter::write(const QList<std::shared_ptr<VideoMetadata>> &records)
{
    QByteArray playlist = "#EXTM3U\n";
    for (const auto &record : records) {
        const std::optional<OpeningItem> item = OpeningItem::of(*record);
        if (!item)
            continue;
        // -1: a live stream, or a length not known yet.
        const qint64 seconds = record->mediaLength() > 0 ? std::lround(record->mediaLength()) : -1;
        playlist += "#EXTINF:" + QByteArray::number(seconds) + ',' +
                    titleLine(withoutUrlCredentials(record->title())) + '\n';
        for (const QByteArray &option : tileOptionLines(item->settings))
            playlist += option + '\n';
        playlist += item->argument + '\n';
    }
    return playlist;
}

} // namespace marquetrix
