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
};

} // namespace marquetrix
