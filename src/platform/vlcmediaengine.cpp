#include "vlcmediaengine.h"

#include "logging.h"
#include "rtspbridge.h"
#include "rtspmedia.h"
#include "vlcinstance.h"
#include "vlcmedia.h"
#include "vlcmedialist.h"
#include "vlcmedialistplayer.h"
#include "vlcreaper.h"

#include <vlc/vlc.h>

namespace marquetrix {

using namespace std::chrono_literals;

VlcMediaEngine::VlcMediaEngine(std::chrono::milliseconds progressTimeout)
    : m_instance(VlcInstance::shared()), m_progressTimeout(progressTimeout)
{
}

VlcMediaEngine::~VlcMediaEngine() = default;

std::shared_ptr<MediaListPlayer> VlcMediaEngine::createListPlayer(const QStringList &options)
{
    return std::make_shared<VlcMediaListPlayer>(m_instance, options, m_progressTimeout);
}

std::shared_ptr<Media> VlcMediaEngine::createMedia(const QUrl &url)
{
    const auto failed = [&url](const QString &reason) {
        qCWarning(lcEngine).noquote()
            << "Cannot open" << url.toDisplayString(QUrl::RemoveUserInfo) << "-" << reason;
        return std::make_shared<VlcMedia>(url, reason);
    };
    if (!m_instance)
        return failed(QStringLiteral("libVLC is not available"));
    if (!url.isValid() || url.isEmpty())
        return failed(QStringLiteral("invalid URL"));
    if (isRtspUrl(url)) {
        // libVLC has no RTSP of its own here: libavformat runs the session. A frozen
        // stream fails after the same bound as a stalled open, at most 10 s.
        std::shared_ptr<RtspBridge> bridge;
        libvlc_media_t *handle =
            createRtspMedia(m_instance->handle(), url, bridge,
                            std::min<std::chrono::milliseconds>(m_progressTimeout, 10s));
        if (!handle)
            return failed(QStringLiteral("libVLC could not make a media for the stream"));
        auto media = std::make_shared<VlcMedia>(m_instance, handle, url);
        media->setFeed({.abort = [bridge] { bridge->abort(); },
                        .error = [bridge] { return bridge->error(); },
                        .prepare = [bridge] { bridge->reset(); },
                        .live = true});
        return media;
    }

    // Also local files as their encoded URL: a file name need not be UTF-8, and its
    // percent-encoded bytes reach libVLC unchanged where a decoded path would not.
    libvlc_media_t *handle =
        libvlc_media_new_location(m_instance->handle(), url.toEncoded().constData());
    if (!handle)
        return failed(QString::fromUtf8(libvlc_errmsg()));
    return std::make_shared<VlcMedia>(m_instance, handle, url);
}

bool VlcMediaEngine::waitForReleasedPlayers(std::chrono::milliseconds bound)
{
    return VlcReaper::waitForAll(bound);
}

std::shared_ptr<MediaList>
VlcMediaEngine::createMediaList(const QList<std::shared_ptr<Media>> &media)
{
    return std::make_shared<VlcMediaList>(media);
}

} // namespace marquetrix
