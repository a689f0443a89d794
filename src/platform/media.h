#pragma once

#include "trackinformation.h"

#include <QList>
#include <QUrl>
#include <QtGlobal>

namespace marquetrix {

// A file or network source. Created by MediaEngine::createMedia.
class Media
{
public:
    virtual ~Media() = default;

    // Duration in milliseconds; 0 while unknown.
    virtual qint64 length() const = 0;
    virtual QList<TrackInformation> tracksInformation() const = 0;
    virtual QUrl url() const = 0;
    // A source with no end of its own, reached over the network: a camera, or a stream of
    // no known length that cannot seek. Known once it has played. libVLC gives a live HLS
    // playlist the length of its window and calls it seekable, so such a playlist is not
    // told apart here.
    virtual bool isLive() const = 0;
};

} // namespace marquetrix
