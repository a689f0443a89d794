#include "vlcframewriter.h"

#include "framecrop.h"
#include "logging.h"
#include "videoprobe.h"

#include <QDeadlineTimer>
#include <QVideoSink>
#include <vlc/vlc.h>

#include <cstring>

namespace marquetrix {

namespace {

// How long format negotiation waits for the GUI thread to publish the track's size (we
// never call libVLC from inside its callbacks). libVLC reports the video track before the
// decoder's first picture, so the wait only happens when the GUI thread is very busy; the
// offered size is used after it.
constexpr int visibleSizeWaitMs = 250;
// How long it waits for a size probe under way (local files answer in milliseconds).
constexpr int probedSizeWaitMs = 1500;

constexpr int pausedFrameIntervalMs = 250;

constexpr int maxUndeliveredFrames = 8;

} // namespace

VlcFrameWriter::VlcFrameWriter(libvlc_media_player_t *player, std::function<void()> pictureShown)
    : m_pictureShown(std::move(pictureShown))
{
    libvlc_video_set_format_callbacks(player, formatCallback, cleanupCallback);
    libvlc_video_set_callbacks(player, lockCallback, unlockCallback, displayCallback, this);
}

VlcFrameWriter::~VlcFrameWriter()
{
    if (m_colourProbeCancel)
        *m_colourProbeCancel = true;
}

void VlcFrameWriter::setSink(QVideoSink *sink)
{
    if (m_sink == sink)
        return;
    if (m_sink)
        disconnect(m_sink, &QObject::destroyed, this, nullptr);
    m_sink = sink;
    m_attached = sink != nullptr;
    if (sink)
        connect(sink, &QObject::destroyed, this, [this] { m_attached = false; });
}

void VlcFrameWriter::setVisibleSize(QSize size)
{
    QMutexLocker locker(&m_mutex);
    m_visibleSize = size;
    m_sizeKnown.wakeAll();
}

void VlcFrameWriter::setSizeProbePending(bool pending)
{
    QMutexLocker locker(&m_mutex);
    m_probePending = pending;
    m_sizeKnown.wakeAll();
}

QSize VlcFrameWriter::negotiatedSize() const
{
    QMutexLocker locker(&m_mutex);
    return m_format.isValid() ? m_format.frameSize() : QSize();
}

void VlcFrameWriter::clearVisibleSize()
{
    QMutexLocker locker(&m_mutex);
    m_visibleSize.reset();
    m_probePending = false;
}

void VlcFrameWriter::setSource(const QUrl &url)
{
    if (m_colourProbeCancel)
        *m_colourProbeCancel = true;
    m_colourProbeCancel.reset();
    // Local files only: a probe of a network source would be one more request to a server
    // that may count them, bill them or refuse a second connection.
    const bool probe = url.isLocalFile();
    {
        QMutexLocker locker(&m_mutex);
        m_colour = {};
        m_colourPending = probe;
        updateConversion();
    }
    if (!probe)
        return;
    m_colourProbeCancel = VideoProbe::start(url, this, [this](ProbedVideo video) {
        QMutexLocker locker(&m_mutex);
        m_colour = video.colour;
        m_colourPending = false;
        updateConversion();
        m_sizeKnown.wakeAll();
    });
}

void VlcFrameWriter::updateConversion()
{
    if (!m_format.isValid()) {
        m_conversion = {};
        return;
    }
    m_conversion = Bt601Conversion(m_colour.matrixAt(m_format.frameHeight()),
                                   m_colour.fullRange && !m_rangeConvertedByVlc);
}

void VlcFrameWriter::setCrop(std::optional<QSize> ratio)
{
    QMutexLocker locker(&m_mutex);
    m_crop = ratio;
    updateCropRegion();
}

void VlcFrameWriter::resetRun()
{
    m_pictureShownInRun = false;
    QMutexLocker locker(&m_mutex);
    m_cancelled = false;
}

void VlcFrameWriter::cancelWaits()
{
    QMutexLocker locker(&m_mutex);
    m_cancelled = true;
    m_sizeKnown.wakeAll();
}

void VlcFrameWriter::updateCropRegion()
{
    m_cropRegion.reset();
    if (!m_crop || !m_format.isValid())
        return;
    const QRect region = centredCropRect(m_format.frameSize(), *m_crop);
    if (region.size() != m_format.frameSize())
        m_cropRegion = region;
}

unsigned VlcFrameWriter::formatCallback(void **opaque, char *chroma, unsigned *width,
                                        unsigned *height, unsigned *pitches, unsigned *lines)
{
    return static_cast<VlcFrameWriter *>(*opaque)->negotiate(chroma, width, height, pitches, lines);
}

unsigned VlcFrameWriter::negotiate(char *chroma, unsigned *width, unsigned *height,
                                   unsigned *pitches, unsigned *lines)
{
    QMutexLocker locker(&m_mutex);
    const QDeadlineTimer trackWait(visibleSizeWaitMs);
    const QDeadlineTimer probeWait(probedSizeWaitMs);
    while (!m_visibleSize && !m_cancelled) {
        const QDeadlineTimer &deadline = m_probePending ? probeWait : trackWait;
        if (deadline.hasExpired() || !m_sizeKnown.wait(&m_mutex, deadline))
            break;
    }
    // Pictures drawn before the colour is known would show in the wrong colours.
    while (m_colourPending && !m_cancelled) {
        if (probeWait.hasExpired() || !m_sizeKnown.wait(&m_mutex, probeWait))
            break;
    }
    const QByteArray offeredChroma(chroma, 4);
    m_rangeConvertedByVlc = offeredChroma.startsWith('J');
    const QSize offered{int(*width), int(*height)};
    QSize size = offered;
    if (m_visibleSize && !m_visibleSize->isEmpty() && m_visibleSize->width() <= offered.width() &&
        m_visibleSize->height() <= offered.height())
        size = *m_visibleSize;

    // Qt 6.4 shears YUV420P pictures whose height is not a multiple of four (it derives a
    // wrong chroma stride); NV12 is drawn correctly at every height.
    const bool nv12 = size.height() % 4 != 0;
    QVideoFrameFormat format(size, nv12 ? QVideoFrameFormat::Format_NV12
                                        : QVideoFrameFormat::Format_YUV420P);
    // Every picture reaches Qt as BT.601 limited range; see Bt601Conversion.
    format.setColorSpace(QVideoFrameFormat::ColorSpace_BT601);
    format.setColorRange(QVideoFrameFormat::ColorRange_Video);

    // Qt decides the plane layout of its frames; VLC must write with exactly those pitches.
    QVideoFrame probe(format);
    if (!probe.map(QVideoFrame::WriteOnly)) {
        qCWarning(lcEngine) << "Cannot allocate video frames of size" << size;
        return 0;
    }
    size_t scratchBytes = 0;
    for (int i = 0; i < probe.planeCount(); ++i) {
        pitches[i] = unsigned(probe.bytesPerLine(i));
        lines[i] = unsigned(probe.mappedBytes(i) / probe.bytesPerLine(i));
        scratchBytes += size_t(probe.mappedBytes(i));
    }
    probe.unmap();

    std::memcpy(chroma, nv12 ? "NV12" : "I420", 4);
    *width = unsigned(size.width());
    *height = unsigned(size.height());
    m_format = format;
    updateCropRegion();
    updateConversion();
    m_scratch.assign(scratchBytes, 0);
    size_t offset = 0;
    m_scratchPlanes = {};
    for (int i = 0; i < format.planeCount(); ++i) {
        m_scratchPlanes[size_t(i)] = m_scratch.data() + offset;
        offset += size_t(pitches[i]) * lines[i];
    }
    qCDebug(lcEngine) << "Video format" << (nv12 ? "NV12" : "I420") << size << "offered" << offered
                      << offeredChroma << "colour" << int(m_colour.matrix) << m_colour.fullRange
                      << "converted by libVLC" << m_rangeConvertedByVlc;
    return 1;
}

void VlcFrameWriter::cleanupCallback(void *opaque)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    QMutexLocker locker(&self->m_mutex);
    self->m_format = QVideoFrameFormat();
    self->m_cropRegion.reset();
    self->m_conversion = {};
    self->m_slots.fill(QVideoFrame());
}

void *VlcFrameWriter::lockCallback(void *opaque, void **planes)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    QMutexLocker locker(&self->m_mutex);
    // A GUI thread that falls behind must not collect pictures without bound.
    const bool wanted = self->m_undelivered.load() < maxUndeliveredFrames &&
                        (!self->m_paused || !self->m_sinceLastFrame.isValid() ||
                         self->m_sinceLastFrame.elapsed() >= pausedFrameIntervalMs);
    if (self->m_attached && wanted) {
        self->m_sinceLastFrame.start();
        const QVideoFrameFormat format = self->m_format;
        locker.unlock();
        QVideoFrame frame(format);
        if (frame.map(QVideoFrame::WriteOnly)) {
            for (int i = 0; i < frame.planeCount(); ++i)
                planes[i] = frame.bits(i);
            locker.relock();
            QVideoFrame &slot = self->m_slots[self->m_nextSlot++ % self->m_slots.size()];
            slot = frame;
            return &slot;
        }
        locker.relock();
    }
    // No surface (or a repeat of a paused picture): VLC still needs somewhere to write,
    // and the picture is dropped.
    for (size_t i = 0; i < self->m_scratchPlanes.size(); ++i)
        planes[i] = self->m_scratchPlanes[i];
    return &self->m_scratch;
}

void VlcFrameWriter::unlockCallback(void *opaque, void *picture, void *const *)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    if (picture == &self->m_scratch)
        return;
    // A frame must be unmapped before it reaches the sink.
    QMutexLocker locker(&self->m_mutex);
    auto *frame = static_cast<QVideoFrame *>(picture);
    const Bt601Conversion conversion = self->m_conversion;
    locker.unlock();
    conversion.apply(*frame);
    locker.relock();
    frame->unmap();
}

void VlcFrameWriter::displayCallback(void *opaque, void *picture)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    if (!self->m_pictureShownInRun.exchange(true))
        self->m_pictureShown();
    if (picture == &self->m_scratch)
        return;
    QMutexLocker locker(&self->m_mutex);
    QVideoFrame frame = std::exchange(*static_cast<QVideoFrame *>(picture), QVideoFrame());
    const std::optional<QRect> crop = self->m_cropRegion;
    locker.unlock();
    // Cropping copies the region here, on VLC's thread, never on the GUI thread.
    if (crop && frame.isValid())
        frame = cropFrame(frame, *crop);
    if (frame.isValid()) {
        ++self->m_undelivered;
        QMetaObject::invokeMethod(
            self, [self, frame] { self->deliver(frame); }, Qt::QueuedConnection);
    }
}

void VlcFrameWriter::deliver(const QVideoFrame &frame)
{
    --m_undelivered;
    // Checked here, on the GUI thread: a surface detached after VLC drew the picture must
    // not receive it.
    if (m_sink && m_attached)
        m_sink->setVideoFrame(frame);
}

} // namespace marquetrix
