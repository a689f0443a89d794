#include "openingitem.h"

#include "linkrules.h"
#include "media.h"
#include "medialist.h"
#include "medialistplayer.h"
#include "videometadata.h"

#include <QString>
#include <algorithm>

namespace marquetrix {

namespace {

// A line of UTF-8 that keeps its ends in a playlist, whose lines are trimmed.
bool isPlainLine(const QByteArray &path)
{
    const bool control = std::any_of(path.cbegin(), path.cend(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    return !control && path.trimmed() == path && QString::fromUtf8(path).toUtf8() == path;
}

} // namespace

std::optional<OpeningItem> OpeningItem::of(const VideoMetadata &record)
{
    const TileSettings settings = TileSettings::of(record);
    if (record.pageUrl().isValid())
        return OpeningItem{record.pageUrl().toEncoded(QUrl::RemoveUserInfo), settings};
    const auto &listPlayer = record.mediaPlayer();
    const auto list = listPlayer ? listPlayer->mediaList() : nullptr;
    const auto media = list ? list->mediaAtIndex(0) : nullptr;
    if (!media || !media->url().isValid())
        return std::nullopt;
    const QUrl url = media->url();
    const QByteArray path = localFilePath(url);
    if (!path.isEmpty() && isPlainLine(path))
        return OpeningItem{path, settings};
    return OpeningItem{url.toEncoded(QUrl::RemoveUserInfo), settings};
}

} // namespace marquetrix
