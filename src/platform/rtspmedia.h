#pragma once

#include <QUrl>
#include <chrono>
#include <memory>

struct libvlc_instance_t;
struct libvlc_media_t;

namespace marquetrix {

class RtspBridge;

// True for the links libVLC cannot open itself and the bridge plays.
bool isRtspUrl(const QUrl &url);

// A libVLC media that plays an rtsp:// link through an RtspBridge. bridgeOut receives the
// bridge; the caller keeps it for as long as the media exists, calls its reset() before
// each play and its abort() before stopping or releasing a player of this media.
// nullptr (and an empty bridgeOut) when libVLC cannot create the media.
libvlc_media_t *createRtspMedia(libvlc_instance_t *instance, const QUrl &url,
                                std::shared_ptr<RtspBridge> &bridgeOut,
                                std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace marquetrix
