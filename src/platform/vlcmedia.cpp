#include "vlcmedia.h"

#include "logging.h"
#include "vlcinstance.h"

#include <vlc/vlc.h>

namespace marquetrix {

VlcMedia::VlcMedia(std::shared_ptr<VlcInstance> instance, libvlc_media_t *handle, const QUrl &url)
    : m_instance(std::move(instance)), m_handle(handle), m_url(url)
{
}

VlcMedia::VlcMedia(const QUrl &url, const QString &failure) : m_url(url), m_failure(failure) {}

VlcMedia::~VlcMedia()
{
    abortFeed();
    if (m_handle)
        libvlc_media_release(m_handle);
}

qint64 VlcMedia::length() const
{
    if (!m_handle)
        return 0;
    const libvlc_time_t duration = libvlc_media_get_duration(m_handle);
    return duration > 0 ? duration : 0;
}

QList<TrackInformation> VlcMedia::tracksInformation() const
{
    QList<TrackInformation> result;
    if (!m_handle)
        return result;
    libvlc_media_track_t **tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(m_handle, &tracks);
    for (unsigned i = 0; i < count; ++i) {
        const libvlc_media_track_t *track = tracks[i];
        TrackInformation info;
        switch (track->i_type) {
        case libvlc_track_video:
            info.type = TrackInformation::Type::Video;
            info.videoWidth = int(track->video->i_width);
            info.videoHeight = int(track->video->i_height);
            if ((*info.videoWidth == 0 || *info.videoHeight == 0) && !m_knownSize.isEmpty()) {
                info.videoWidth = m_knownSize.width();
                info.videoHeight = m_knownSize.height();
            }
            break;
        case libvlc_track_audio:
            info.type = TrackInformation::Type::Audio;
            break;
        case libvlc_track_text:
            info.type = TrackInformation::Type::Text;
            break;
        default:
            break;
        }
        result.append(info);
    }
    if (tracks)
        libvlc_media_tracks_release(tracks, count);
    return result;
}

QUrl VlcMedia::url() const
{
    return m_url;
}

void VlcMedia::addOptions(const QStringList &options)
{
    if (!m_handle)
        return;
    for (const QString &option : options) {
        if (m_options.contains(option))
            continue;
        QString name = option;
        if (name.startsWith(QLatin1String("--")))
            name = name.mid(2);
        else if (name.startsWith(QLatin1Char(':')))
            name = name.mid(1);
        if (name.isEmpty()) {
            qCWarning(lcEngine) << "Ignoring empty engine option" << option;
            continue;
        }
        libvlc_media_add_option(m_handle, (QLatin1Char(':') + name).toUtf8().constData());
        m_options.insert(option);
    }
}

void VlcMedia::abortFeed() const
{
    if (m_feed.abort)
        m_feed.abort();
}

void VlcMedia::prepareFeed() const
{
    if (m_feed.prepare)
        m_feed.prepare();
}

std::optional<QString> VlcMedia::feedError() const
{
    return m_feed.error ? m_feed.error() : std::nullopt;
}

bool VlcMedia::isNetwork() const
{
    const QString scheme = m_url.scheme();
    return !scheme.isEmpty() && scheme != QLatin1String("file") && !m_url.isLocalFile();
}

} // namespace marquetrix
