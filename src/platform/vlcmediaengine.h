#pragma once

#include "mediaengine.h"

#include <chrono>

namespace marquetrix {

class VlcInstance;

// The real engine, on libVLC.
class VlcMediaEngine : public MediaEngine
{
public:
    // networkOpenTimeout: a network source that shows nothing for this long is an error
    // (libVLC itself waits forever on a server that accepts and never answers).
    explicit VlcMediaEngine(
        std::chrono::milliseconds networkOpenTimeout = std::chrono::seconds(30));
    ~VlcMediaEngine() override;

    std::shared_ptr<MediaListPlayer> createListPlayer(const QStringList &options) override;
    std::shared_ptr<Media> createMedia(const QUrl &url) override;
    std::shared_ptr<MediaList> createMediaList(const QList<std::shared_ptr<Media>> &media) override;

private:
    std::shared_ptr<VlcInstance> m_instance;
    std::chrono::milliseconds m_networkOpenTimeout;
};

} // namespace marquetrix
