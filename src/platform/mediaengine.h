#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace marquetrix {

class Media;
class MediaList;
class MediaListPlayer;

// Creates the engine's objects. The real engine is libVLC; unit tests use a fake. A QObject
// only so that QML can hold it by its type.
class MediaEngine : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // options: engine command-line options such as "--avcodec-hw=none" or
    // "--network-caching=10000"; they must take effect for the media this player plays.
    virtual std::shared_ptr<MediaListPlayer> createListPlayer(const QStringList &options) = 0;
    virtual std::shared_ptr<Media> createMedia(const QUrl &url) = 0;
    virtual std::shared_ptr<MediaList>
    createMediaList(const QList<std::shared_ptr<Media>> &media) = 0;
};

} // namespace marquetrix
