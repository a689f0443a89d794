#include "vlcvideosize.h"

#include "logging.h"
#include "videoprobe.h"
#include "vlcframewriter.h"
#include "vlcmedia.h"

namespace marquetrix {

VlcVideoSize::VlcVideoSize(VlcFrameWriter &writer, QObject *context, std::function<void()> probed)
    : m_writer(writer), m_context(context), m_probed(std::move(probed))
{
}

VlcVideoSize::~VlcVideoSize()
{
    if (m_probeCancel)
        *m_probeCancel = true;
}

void VlcVideoSize::setMedia(std::shared_ptr<VlcMedia> media)
{
    m_media = std::move(media);
    m_announced = QSize();
    m_restarted = false;
    m_writer.clearVisibleSize();
}

VlcVideoSize::Outcome VlcVideoSize::refresh()
{
    if (!m_media)
        return Outcome::Unchanged;
    bool hasVideo = false;
    QSize size;
    for (const TrackInformation &track : m_media->tracksInformation()) {
        if (track.type != TrackInformation::Type::Video)
            continue;
        hasVideo = true;
        size = QSize(track.videoWidth.value_or(0), track.videoHeight.value_or(0));
        if (!size.isEmpty())
            break;
    }
    if (!hasVideo)
        return Outcome::Unchanged;
    if (size.isEmpty()) {
        const QSize fed = m_media->feedVideoSize();
        if (fed.isEmpty()) {
            startProbe();
            return Outcome::Unchanged;
        }
        size = fed;
    }
    // libVLC forgets a size it learned late on every start; the media keeps it.
    m_media->rememberVideoSize(size);
    m_writer.setVisibleSize(size);
    // Restarting costs the viewer a black second and the camera a second session.
    const QSize drawn = m_writer.negotiatedSize();
    const bool drawnSmaller =
        drawn.isValid() && (drawn.width() < size.width() || drawn.height() < size.height());
    if (m_media->isLiveFeed() && !m_restarted && drawnSmaller) {
        m_restarted = true;
        return Outcome::DrawnWrong;
    }
    if (size == m_announced)
        return Outcome::Unchanged;
    m_announced = size;
    return Outcome::Learned;
}

void VlcVideoSize::startProbe()
{
    if (m_media->sizeProbeStarted() || !VideoProbe::canProbe(m_media->url()))
        return;
    m_media->markSizeProbeStarted();
    m_writer.setSizeProbePending(true);
    m_probeCancel =
        VideoProbe::start(m_media->url(), m_context, [this, media = m_media](ProbedVideo video) {
            const QSize size = video.size;
            if (size.isEmpty())
                qCWarning(lcEngine).noquote()
                    << "The picture size of" << media->url().toDisplayString(QUrl::RemoveUserInfo)
                    << "is unknown";
            else
                media->rememberVideoSize(size);
            if (media != m_media)
                return;
            m_writer.setSizeProbePending(false);
            m_probed();
        });
}

} // namespace marquetrix
