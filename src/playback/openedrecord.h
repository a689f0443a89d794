#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace marquetrix {

class MediaEngine;
class VideoMetadata;

// Engine options of the roads a video takes to its tile.
inline const QStringList kDirectLinkOptions = {QStringLiteral("--network-caching=10000"),
                                               QStringLiteral("--avcodec-hw=none")};
inline const QStringList kResolvedStreamOptions = {QStringLiteral("--network-caching=5000")};
inline const QStringList kLocalFileOptions = {QStringLiteral("--avcodec-hw=none")};

// A new record for a tile: a list player with these options, no repeat, and a media list
// holding the one media of the URL; a fresh id and the title. Null (and logged) when the
// engine makes none of it. Every road from a link to a tile builds its record here.
std::shared_ptr<VideoMetadata> openedRecord(MediaEngine &engine, const QUrl &url,
                                            const QStringList &options, const QString &title);

// The record of a file on this machine, titled with its name, with the subtitle file of the
// same name beside it (.srt, .ass or .vtt) if there is one.
std::shared_ptr<VideoMetadata> localFileRecord(MediaEngine &engine, const QUrl &url);

} // namespace marquetrix
