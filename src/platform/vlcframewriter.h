#pragma once

#include "rgbscaler.h"
#include "videocolour.h"

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QVideoSink>
#include <QWaitCondition>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct libvlc_media_player_t;

namespace marquetrix {

// Receives a player's decoded pictures through libVLC's video callbacks and hands them to
// a QVideoSink on the GUI thread. VLC writes each picture straight into the planes of a
// freshly mapped QVideoFrame; on VLC's thread it is then cropped, scaled to the size its
// tile shows it at and turned into RGB (see RgbScaler).
class VlcFrameWriter : public QObject
{
    Q_OBJECT
public:
    // pictureShown runs on a VLC thread for the first picture after each resetRun().
    VlcFrameWriter(libvlc_media_player_t *player, std::function<void()> pictureShown);
    ~VlcFrameWriter() override;

    QVideoSink *sink() const { return m_sink; }
    void setSink(QVideoSink *sink);

    // The last picture as the tile shows it (cropped), at the video's own size.
    QImage picture() const;

    // The media's picture size as its track reports it; libVLC offers padded sizes and
    // would stretch the picture into them. While a probe for the size is pending, format
    // negotiation waits longer for it.
    void setVisibleSize(QSize size);
    void setSizeProbePending(bool pending);
    // The size libVLC draws at now; empty before the first picture.
    QSize negotiatedSize() const;
    void clearVisibleSize();

    // The media about to be played; its colour tags are read from it where that is cheap.
    void setSource(const QUrl &url);

    // Width:height of the centred region to show, or none for the whole picture.
    void setCrop(std::optional<QSize> ratio);

    void resetRun();
    // While paused libVLC shows the same picture about 16 times a second; only a picture
    // that differs (a jump, a step) or a changed crop reaches the sink.
    void setPaused(bool paused) { m_paused = paused; }
    // Wakes a format negotiation waiting for the visible size; the player is stopping.
    void cancelWaits();

private:
    struct Shown
    {
        // In the frame libVLC wrote; its size in the video's own pixels; the size made.
        QRect region;
        QSize natural;
        QSize size;
        bool operator==(const Shown &) const = default;
    };
    struct Picture
    {
        QVideoFrame frame;
        QRect region;
        QSize natural;
        VideoColour colour;
    };

    Q_SLOT void updateShownSize();

    static unsigned formatCallback(void **opaque, char *chroma, unsigned *width, unsigned *height,
                                   unsigned *pitches, unsigned *lines);
    static void cleanupCallback(void *opaque);
    static void *lockCallback(void *opaque, void **planes);
    static void unlockCallback(void *opaque, void *picture, void *const *planes);
    static void displayCallback(void *opaque, void *picture);

    unsigned negotiate(char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                       unsigned *lines);
    void updateCropRegion();
    VideoColour sampleColour() const;
    // The video's own size where it fits in the frame libVLC draws, else the frame's.
    QSize visibleSizeIn(QSize frame) const;
    Shown shownFor(QSize frame) const;
    bool pausedPictureChanged(const Shown &shown);
    QVideoFrame copyOfScratch() const;
    void deliver(const QVideoFrame &frame);

    QPointer<QVideoSink> m_sink;
    std::atomic<bool> m_attached{false};
    std::atomic<bool> m_paused{false};
    std::atomic<int> m_undelivered{0};
    // The item that shows the sink's pictures, and its size in device pixels.
    QPointer<QObject> m_shownItem;
    QSize m_shownSize;
    // The item draws pictures without a GPU: they are made at its size, larger ones too.
    bool m_enlarge = false;
    std::atomic<bool> m_pictureShownInRun{false};
    std::function<void()> m_pictureShown;

    mutable QMutex m_mutex;
    QWaitCondition m_sizeKnown;
    std::optional<QSize> m_visibleSize;
    bool m_cancelled = false;
    bool m_probePending = false;
    std::optional<QSize> m_crop;
    std::optional<QRect> m_cropRegion;
    QVideoFrameFormat m_format;
    VideoColour m_colour;
    bool m_colourPending = false;
    // The range of the samples libVLC writes: full or limited whatever the stream's tags
    // say, or as the tags say.
    enum class VlcRange
    {
        Source,
        Full,
        Limited,
    };
    VlcRange m_vlcRange = VlcRange::Source;
    // Used on VLC's display thread only.
    RgbScaler m_scaler;
    std::shared_ptr<std::atomic<bool>> m_colourProbeCancel;
    std::vector<unsigned char> m_scratch;
    std::array<void *, 3> m_scratchPlanes{};
    // The last paused picture that reached the sink, as VLC drew it, and how it was shown;
    // none when the next paused picture must go to the sink whatever it holds.
    std::vector<unsigned char> m_pausedPicture;
    std::optional<Shown> m_pausedShown;
    // At full size, for snapshots.
    Picture m_lastPicture;

    // Pictures in flight between lock and display. libVLC holds far fewer at once.
    std::array<QVideoFrame, 16> m_slots;
    unsigned m_nextSlot = 0;
};

} // namespace marquetrix
