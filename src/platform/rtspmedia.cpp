#include "rtspmedia.h"

#include "logging.h"
#include "rtspbridge.h"

#include <cstdint>
#include <vlc/vlc.h>

namespace marquetrix {

namespace {

int openBridge(void *opaque, void **data, uint64_t *size)
{
    auto *bridge = static_cast<RtspBridge *>(opaque);
    // Answer at once: the session is opened by the worker, and read() waits for it.
    bridge->start();
    *data = bridge;
    *size = UINT64_MAX;
    return 0;
}

ssize_t readBridge(void *opaque, unsigned char *buffer, size_t size)
{
    return static_cast<ssize_t>(static_cast<RtspBridge *>(opaque)->read(buffer, size));
}

void closeBridge(void *opaque)
{
    static_cast<RtspBridge *>(opaque)->close();
}

} // namespace

bool isRtspUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("rtsp") || scheme == QLatin1String("rtsps");
}

libvlc_media_t *createRtspMedia(libvlc_instance_t *instance, const QUrl &url,
                                std::shared_ptr<RtspBridge> &bridgeOut,
                                std::chrono::milliseconds timeout)
{
    auto bridge = std::make_shared<RtspBridge>(url, timeout);
    libvlc_media_t *media = libvlc_media_new_callbacks(instance, &openBridge, &readBridge, nullptr,
                                                       &closeBridge, bridge.get());
    if (!media) {
        qCWarning(lcEngine).noquote() << "Could not create a media for" << bridge->displayUrl();
        bridgeOut.reset();
        return nullptr;
    }
    libvlc_media_add_option(media, ":demux=ts");
    bridgeOut = std::move(bridge);
    return media;
}

} // namespace marquetrix
