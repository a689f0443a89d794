#pragma once

#include "mediaengine.h"

#include <chrono>

namespace marquetrix {

class VlcInstance;

// The real engine, on libVLC.
class VlcMediaEngine : public MediaEngine
{
public:
    // progressTimeout: a media that shows nothing for this long after a start is an error,
    // and so is a network source whose time stands still this long while it should play
    // (libVLC itself waits forever on a server that stops sending and keeps the connection).
    explicit VlcMediaEngine(std::chrono::milliseconds progressTimeout = std::chrono::seconds(30));
    ~VlcMediaEngine() override;

    std::shared_ptr<MediaListPlayer> createListPlayer(const QStringList &options) override;
    std::shared_ptr<Media> createMedia(const QUrl &url) override;
    std::shared_ptr<MediaList> createMediaList(const QList<std::shared_ptr<Media>> &media) override;

    // Waits at most bound for the players released so far to finish stopping; false when
    // some still are. Those can be left to the end of the process.
    static bool waitForReleasedPlayers(std::chrono::milliseconds bound);

private:
    std::shared_ptr<VlcInstance> m_instance;
    std::chrono::milliseconds m_progressTimeout;
};

} // namespace marquetrix
