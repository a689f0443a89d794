#pragma once

#include <QObject>
#include <QSize>
#include <atomic>
#include <functional>
#include <memory>

namespace marquetrix {

class VlcFrameWriter;
class VlcMedia;

// Finds the picture size of a player's media and hands it to the frame writer before
// libVLC makes its picture buffers: from libVLC's track list, else from the media's feed,
// else from our own probe. libVLC knows no size for MPEG-TS at that moment, and the
// buffers it makes without one are padded and stretch the picture.
class VlcVideoSize
{
public:
    enum class Outcome
    {
        Unchanged,
        // A size the player has not announced yet.
        Learned,
        // A live feed whose pictures libVLC draws smaller than the video, losing detail; a
        // new start fixes it. Larger ones the frame writer scales back at no loss.
        DrawnWrong,
    };

    // probed runs on the GUI thread when a probe has finished, unless context is gone.
    VlcVideoSize(VlcFrameWriter &writer, QObject *context, std::function<void()> probed);
    ~VlcVideoSize();
    VlcVideoSize(const VlcVideoSize &) = delete;
    VlcVideoSize &operator=(const VlcVideoSize &) = delete;

    void setMedia(std::shared_ptr<VlcMedia> media);
    // Reads the size again; called whenever libVLC may know more (a new video track, the
    // first picture). DrawnWrong is reported once per media.
    Outcome refresh();

private:
    void startProbe();

    VlcFrameWriter &m_writer;
    QObject *m_context;
    std::function<void()> m_probed;
    std::shared_ptr<VlcMedia> m_media;
    QSize m_announced;
    bool m_restarted = false;
    std::shared_ptr<std::atomic<bool>> m_probeCancel;
};

} // namespace marquetrix
