#include "vlcframewriter.h"

#include "framecrop.h"
#include "logging.h"
#include "videoprobe.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMetaProperty>
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

constexpr int maxUndeliveredFrames = 8;

QMetaMethod notifierOf(const QObject *object, const char *property)
{
    const QMetaObject *type = object->metaObject();
    const int index = type ? type->indexOfProperty(property) : -1;
    return index < 0 ? QMetaMethod() : type->property(index).notifySignal();
}

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
    if (m_shownItem)
        disconnect(m_shownItem, nullptr, this, nullptr);
    m_sink = sink;
    m_attached = sink != nullptr;
    {
        // A new surface gets the paused picture too.
        QMutexLocker locker(&m_mutex);
        m_pausedShown.reset();
    }
    // The item owning a sink shows its pictures; its size is where they are shown. A sink
    // owned by anything else gets the pictures at their own size.
    QObject *item = sink ? sink->parent() : nullptr;
    m_shownItem = item;
    if (sink)
        connect(sink, &QObject::destroyed, this, [this] { m_attached = false; });
    const QMetaMethod shownSizeChanged =
        metaObject()->method(metaObject()->indexOfSlot("updateShownSize()"));
    for (const char *property : {"width", "height", "scalesFreely"}) {
        if (const QMetaMethod notifier = item ? notifierOf(item, property) : QMetaMethod();
            notifier.isValid())
            connect(item, notifier, this, shownSizeChanged);
    }
    updateShownSize();
}

void VlcFrameWriter::updateShownSize()
{
    QSize size;
    bool enlarge = false;
    if (m_shownItem) {
        const auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
        const qreal ratio = app ? app->devicePixelRatio() : 1.0;
        size = (QSizeF(m_shownItem->property("width").toReal(),
                       m_shownItem->property("height").toReal()) *
                ratio)
                   .toSize();
        const QVariant scalesFreely = m_shownItem->property("scalesFreely");
        enlarge = scalesFreely.isValid() && !scalesFreely.toBool();
    }
    QMutexLocker locker(&m_mutex);
    m_shownSize = size;
    m_enlarge = enlarge;
}

QImage VlcFrameWriter::picture() const
{
    QMutexLocker locker(&m_mutex);
    const Picture last = m_lastPicture;
    locker.unlock();
    if (!last.frame.isValid())
        return {};
    RgbScaler scaler;
    return scaler.toImage(last.frame, last.region, last.natural, last.colour);
}

void VlcFrameWriter::setVisibleSize(QSize size)
{
    QMutexLocker locker(&m_mutex);
    m_visibleSize = size;
    updateCropRegion();
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
    }
    if (!probe)
        return;
    m_colourProbeCancel = VideoProbe::start(url, this, [this](ProbedVideo video) {
        QMutexLocker locker(&m_mutex);
        m_colour = video.colour;
        m_colourPending = false;
        m_sizeKnown.wakeAll();
    });
}

VideoColour VlcFrameWriter::sampleColour() const
{
    return {m_colour.matrixAt(m_format.frameHeight()),
            m_vlcRange == VlcRange::Full || (m_colour.fullRange && m_vlcRange == VlcRange::Source)};
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

QSize VlcFrameWriter::visibleSizeIn(QSize frame) const
{
    if (m_visibleSize && !m_visibleSize->isEmpty() && m_visibleSize->width() <= frame.width() &&
        m_visibleSize->height() <= frame.height())
        return *m_visibleSize;
    return frame;
}

void VlcFrameWriter::updateCropRegion()
{
    m_cropRegion.reset();
    if (!m_crop || !m_format.isValid())
        return;
    // The ratio holds in the video's own pixels, which libVLC may have stretched.
    const QSize frame = m_format.frameSize();
    const QSize visible = visibleSizeIn(frame);
    const QRect crop = centredCropRect(visible, *m_crop);
    const QRect region(QPoint((crop.x() * frame.width() / visible.width()) & ~1,
                              (crop.y() * frame.height() / visible.height()) & ~1),
                       QSize(crop.width() * frame.width() / visible.width(),
                             crop.height() * frame.height() / visible.height()));
    if (region.size() != frame)
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
    // libVLC offers full-range pictures with a "J" chroma. Asked for I420 it converts them to
    // limited range with a pass of its own; J420 is the same layout, taken as it is.
    const bool keepJ420 = offeredChroma == "J420";
    m_vlcRange = keepJ420                        ? VlcRange::Full
                 : offeredChroma.startsWith('J') ? VlcRange::Limited
                                                 : VlcRange::Source;
    const QSize offered{int(*width), int(*height)};
    QSize size = offered;
    if (m_visibleSize && !m_visibleSize->isEmpty() && m_visibleSize->width() <= offered.width() &&
        m_visibleSize->height() <= offered.height())
        size = *m_visibleSize;

    QVideoFrameFormat format(size, QVideoFrameFormat::Format_YUV420P);

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

    std::memcpy(chroma, keepJ420 ? "J420" : "I420", 4);
    *width = unsigned(size.width());
    *height = unsigned(size.height());
    m_format = format;
    updateCropRegion();
    m_scratch.assign(scratchBytes, 0);
    size_t offset = 0;
    m_scratchPlanes = {};
    for (int i = 0; i < format.planeCount(); ++i) {
        m_scratchPlanes[size_t(i)] = m_scratch.data() + offset;
        offset += size_t(pitches[i]) * lines[i];
    }
    qCDebug(lcEngine) << "Video format" << QByteArray(chroma, 4) << size << "offered" << offered
                      << offeredChroma << "colour" << int(m_colour.matrix) << m_colour.fullRange;
    return 1;
}

void VlcFrameWriter::cleanupCallback(void *opaque)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    QMutexLocker locker(&self->m_mutex);
    self->m_format = QVideoFrameFormat();
    self->m_cropRegion.reset();
    self->m_slots.fill(QVideoFrame());
}

void *VlcFrameWriter::lockCallback(void *opaque, void **planes)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    QMutexLocker locker(&self->m_mutex);
    // A GUI thread that falls behind must not collect pictures without bound. Paused
    // pictures go to the scratch buffer, and on only when they differ from the last one.
    const bool wanted = self->m_undelivered.load() < maxUndeliveredFrames && !self->m_paused;
    if (self->m_attached && wanted) {
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
    // No surface, or a paused picture: VLC still needs somewhere to write.
    for (size_t i = 0; i < self->m_scratchPlanes.size(); ++i)
        planes[i] = self->m_scratchPlanes[i];
    return &self->m_scratch;
}

void VlcFrameWriter::unlockCallback(void *opaque, void *picture, void *const *)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    // A frame must be unmapped before it reaches the sink.
    if (picture != &self->m_scratch)
        static_cast<QVideoFrame *>(picture)->unmap();
}

VlcFrameWriter::Shown VlcFrameWriter::shownFor(QSize frame) const
{
    Shown shown{m_cropRegion.value_or(QRect(QPoint(), frame)), {}, {}};
    // The region in the video's own pixels: a size learned after libVLC chose its buffers
    // finds the picture stretched into a padded frame, and unstretches it.
    const QSize visible = visibleSizeIn(frame);
    shown.natural = QSize(shown.region.width() * visible.width() / frame.width(),
                          shown.region.height() * visible.height() / frame.height())
                        .expandedTo(QSize(1, 1));
    shown.size = shown.natural;
    if (m_shownSize.isEmpty())
        return shown;
    // The picture keeps its aspect ratio in the item. A GPU enlarges it at no cost in
    // memory; where the CPU draws, libswscale enlarges it faster than the drawing would.
    const double scale = std::min(double(m_shownSize.width()) / shown.natural.width(),
                                  double(m_shownSize.height()) / shown.natural.height());
    if (scale < 1.0 || (scale > 1.0 && m_enlarge))
        shown.size = (QSizeF(shown.natural) * scale).toSize().expandedTo(QSize(1, 1));
    return shown;
}

bool VlcFrameWriter::pausedPictureChanged(const Shown &shown)
{
    const bool same = m_pausedShown == shown && m_pausedPicture == m_scratch;
    if (same)
        return false;
    m_pausedPicture = m_scratch;
    m_pausedShown = shown;
    return true;
}

QVideoFrame VlcFrameWriter::copyOfScratch() const
{
    QVideoFrame frame(m_format);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    for (int i = 0; i < frame.planeCount(); ++i)
        std::memcpy(frame.bits(i), m_scratchPlanes[size_t(i)], size_t(frame.mappedBytes(i)));
    frame.unmap();
    return frame;
}

void VlcFrameWriter::displayCallback(void *opaque, void *picture)
{
    auto *self = static_cast<VlcFrameWriter *>(opaque);
    if (!self->m_pictureShownInRun.exchange(true))
        self->m_pictureShown();
    QMutexLocker locker(&self->m_mutex);
    if (!self->m_format.isValid())
        return;
    const Shown shown = self->shownFor(self->m_format.frameSize());
    QVideoFrame frame;
    if (picture != &self->m_scratch) {
        frame = std::exchange(*static_cast<QVideoFrame *>(picture), QVideoFrame());
        self->m_pausedShown.reset();
    } else if (self->m_paused && self->m_attached &&
               self->m_undelivered.load() < maxUndeliveredFrames &&
               self->pausedPictureChanged(shown)) {
        frame = self->copyOfScratch();
    }
    const VideoColour colour = self->sampleColour();
    locker.unlock();
    if (!frame.isValid())
        return;

    // Cropping, scaling and the colour conversion run here, on VLC's thread, never on the
    // GUI thread.
    const QVideoFrame output = self->m_scaler.toFrame(frame, shown.region, shown.size, colour);
    const Picture last{frame, shown.region, shown.natural, colour};
    locker.relock();
    self->m_lastPicture = last;
    locker.unlock();
    if (output.isValid()) {
        ++self->m_undelivered;
        QMetaObject::invokeMethod(
            self, [self, output] { self->deliver(output); }, Qt::QueuedConnection);
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
