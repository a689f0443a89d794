#include "vlcmediaengine.h"

#include "logging.h"
#include "vlcinstance.h"
#include "vlcmedia.h"
#include "vlcmedialist.h"
#include "vlcmedialistplayer.h"

#include <vlc/vlc.h>

namespace marquetrix {

VlcMediaEngine::VlcMediaEngine(std::chrono::milliseconds networkOpenTimeout)
    : m_instance(VlcInstance::shared()), m_networkOpenTimeout(networkOpenTimeout)
{
}

VlcMediaEngine::~VlcMediaEngine() = default;

std::shared_ptr<MediaListPlayer> VlcMediaEngine::createListPlayer(const QStringList &options)
{
    return std::make_shared<VlcMediaListPlayer>(m_instance, options, m_networkOpenTimeout);
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
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("rtsp") || scheme == QLatin1String("rtsps"))
        return failed(QStringLiteral("rtsp links are not supported by this build"));

    libvlc_media_t *handle =
        url.isLocalFile()
            ? libvlc_media_new_path(m_instance->handle(), url.toLocalFile().toUtf8().constData())
            : libvlc_media_new_location(m_instance->handle(), url.toEncoded().constData());
    if (!handle)
        return failed(QString::fromUtf8(libvlc_errmsg()));
    return std::make_shared<VlcMedia>(m_instance, handle, url);
}

std::shared_ptr<MediaList>
VlcMediaEngine::createMediaList(const QList<std::shared_ptr<Media>> &media)
{
    return std::make_shared<VlcMediaList>(media);
}

} // namespace marquetrix
