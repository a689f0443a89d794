#pragma once

#include "media.h"

#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

struct libvlc_media_t;

namespace marquetrix {

class VlcInstance;

// A libVLC media. A media libVLC cannot open carries the reason instead of a handle;
// playing it reports an error.
class VlcMedia : public Media
{
public:
    VlcMedia(std::shared_ptr<VlcInstance> instance, libvlc_media_t *handle, const QUrl &url);
    VlcMedia(const QUrl &url, const QString &failure);
    ~VlcMedia() override;

    qint64 length() const override;
    QList<TrackInformation> tracksInformation() const override;
    QUrl url() const override;
    bool isLive() const override { return m_feed.live || (m_unseekable && length() == 0); }

    // nullptr when the media could not be made.
    libvlc_media_t *handle() const { return m_handle; }
    QString failure() const { return m_failure; }

    // Engine options ("--name=value") become options of this media: libVLC honours input
    // and decoder settings per media, and ignores some of them as instance arguments.
    void addOptions(const QStringList &options);

    // A source fed from our own threads (a bridged stream) must be woken before libVLC
    // stops the player, or the stop waits for a read that never returns; and its own
    // failures reach libVLC as a plain end, so the player asks the feed for them.
    struct Feed
    {
        std::function<void()> abort;
        std::function<std::optional<QString>()> error;
        // Called before each start, since an abort holds until then.
        std::function<void()> prepare;
        // A live feed cannot be paused: libVLC would keep reading and fall behind.
        bool live = false;
        // The picture size as the feed knows it (empty while unknown). A feed of MPEG-TS
        // gives libVLC no size before it makes its picture buffers, which then come out
        // padded and stretched.
        std::function<QSize()> videoSize = {};
    };
    void setFeed(Feed feed) { m_feed = std::move(feed); }
    void abortFeed() const;
    void prepareFeed() const;
    bool isLiveFeed() const { return m_feed.live; }
    std::optional<QString> feedError() const;
    QSize feedVideoSize() const { return m_feed.videoSize ? m_feed.videoSize() : QSize(); }

    // The picture size learned by other means (our probe, the feed, an earlier run) stands
    // in for a track libVLC leaves at 0x0: libVLC forgets what it learned late on each start.
    bool sizeProbeStarted() const { return m_sizeProbeStarted; }
    void markSizeProbeStarted() { m_sizeProbeStarted = true; }
    void rememberVideoSize(QSize size) { m_knownSize = size; }

    // True for sources reached over the network, whose open needs a time bound.
    bool isNetwork() const;
    // A network source of no known length that libVLC cannot seek in while it plays has no
    // end to seek to; a file served without byte ranges has a length.
    void markUnseekable() { m_unseekable = isNetwork(); }

private:
    std::shared_ptr<VlcInstance> m_instance;
    libvlc_media_t *m_handle = nullptr;
    QUrl m_url;
    QString m_failure;
    QSet<QString> m_options;
    bool m_sizeProbeStarted = false;
    QSize m_knownSize;
    bool m_unseekable = false;
    Feed m_feed;
};

} // namespace marquetrix
