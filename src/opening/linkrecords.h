#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

namespace marquetrix {

class MediaEngine;
class VideoMetadata;

// The records of the two roads a network link takes, shared by the window's opener and the
// open-by-link dialog; where the record goes (a new tile, or a tile it replaces) is theirs.

// A link that points straight at media, credentials and all, titled with its last path
// component.
std::shared_ptr<VideoMetadata> directLinkRecord(MediaEngine &engine, const QUrl &url);

// The media of a page link as the resolver answered it: the answer's first playable entry,
// played with the options of a resolved stream and marked as streaming, titled with the
// link (never with a password it carries) until the page's own title arrives. Null (and
// logged) when the answer names nothing playable or the engine makes no player.
// `titleFailed` is as fetchPageTitle's `failed`.
std::shared_ptr<VideoMetadata> resolvedRecord(MediaEngine &engine, const QStringList &answer,
                                              const QString &link, QObject *context,
                                              std::function<void()> titleFailed);

} // namespace marquetrix
