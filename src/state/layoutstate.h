#pragma once

#include "notifyingproperty.h"
#include "searchinput.h"
#include "videometadata.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QtQml/qqmllist.h>
#include <QtQml/qqmlregistration.h>
#include <memory>

namespace marquetrix {

// The window's layout state: the layout area, the ordered open videos, full screen, the
// swap alert and the layout cache. Every assignment notifies, also when the value is unchanged.
// Of the listed records' own changes only their shape (size, crop) reaches it: as `counter`.
class LayoutState : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit LayoutState(QObject *parent = nullptr) : QObject(parent) {}

    Q_PROPERTY(float viewWidth READ viewWidth WRITE setViewWidth NOTIFY viewWidthChanged)
    MARQUETRIX_NOTIFYING(float, viewWidth, setViewWidth, viewWidthChanged, 0)
    Q_SIGNAL void viewWidthChanged();

    Q_PROPERTY(float viewHeight READ viewHeight WRITE setViewHeight NOTIFY viewHeightChanged)
    MARQUETRIX_NOTIFYING(float, viewHeight, setViewHeight, viewHeightChanged, 0)
    Q_SIGNAL void viewHeightChanged();

    // The most videos one window holds: the layout search answers in bounded time up to this
    // many, and more tiles would be too small to watch.
    static constexpr qsizetype kMaxVideos = 64;
    Q_PROPERTY(int maxVideos READ maxVideos CONSTANT)
    int maxVideos() const { return int(kMaxVideos); }

    // The open videos in the order the layout sees them. Each mutation notifies once.
    // Opening a video appends it, unless kMaxVideos are open already: then nothing is
    // added, and the refusal is logged and raises showVideoLimitAlert. A video that takes
    // another's place in its tile is inserted whatever the count.
    Q_PROPERTY(QQmlListProperty<marquetrix::VideoMetadata> videoMetas READ videoMetaList NOTIFY
                   videoMetasChanged)
    const QList<std::shared_ptr<VideoMetadata>> &videoMetas() const { return m_videoMetas; }
    QQmlListProperty<VideoMetadata> videoMetaList();
    void setVideoMetas(const QList<std::shared_ptr<VideoMetadata>> &value);
    void appendVideoMeta(const std::shared_ptr<VideoMetadata> &meta);
    void insertVideoMeta(qsizetype index, const std::shared_ptr<VideoMetadata> &meta);
    // Removes the first record with this id; nothing happens (and nothing notifies) when
    // there is none.
    bool removeVideoMeta(const QUuid &id);
    void swapVideoMetas(qsizetype first, qsizetype second);
    void shuffleVideoMetas();
    // -1 when no record has this id.
    qsizetype indexOfVideoMeta(const QUuid &id) const;
    Q_SIGNAL void videoMetasChanged();

    Q_PROPERTY(bool aspectRatioChange READ aspectRatioChange WRITE setAspectRatioChange NOTIFY
                   aspectRatioChangeChanged)
    MARQUETRIX_NOTIFYING(bool, aspectRatioChange, setAspectRatioChange, aspectRatioChangeChanged,
                         false)
    Q_SIGNAL void aspectRatioChangeChanged();

    Q_PROPERTY(bool isFullscreen READ isFullscreen WRITE setIsFullscreen NOTIFY isFullscreenChanged)
    MARQUETRIX_NOTIFYING(bool, isFullscreen, setIsFullscreen, isFullscreenChanged, false)
    Q_SIGNAL void isFullscreenChanged();

    // Counts the shape changes of the listed records (their size or crop); its notification
    // makes the window lay out again.
    Q_PROPERTY(qint64 counter READ counter WRITE setCounter NOTIFY counterChanged)
    MARQUETRIX_NOTIFYING(qint64, counter, setCounter, counterChanged, 0)
    Q_SIGNAL void counterChanged();

    Q_PROPERTY(QString layoutError READ layoutError WRITE setLayoutError NOTIFY layoutErrorChanged)
    MARQUETRIX_NOTIFYING(QString, layoutError, setLayoutError, layoutErrorChanged)
    Q_SIGNAL void layoutErrorChanged();

    Q_PROPERTY(bool showVideoLimitAlert READ showVideoLimitAlert WRITE setShowVideoLimitAlert NOTIFY
                   showVideoLimitAlertChanged)
    MARQUETRIX_NOTIFYING(bool, showVideoLimitAlert, setShowVideoLimitAlert,
                         showVideoLimitAlertChanged, false)
    Q_SIGNAL void showVideoLimitAlertChanged();

    Q_PROPERTY(
        bool showSwapAlert READ showSwapAlert WRITE setShowSwapAlert NOTIFY showSwapAlertChanged)
    MARQUETRIX_NOTIFYING(bool, showSwapAlert, setShowSwapAlert, showSwapAlertChanged, false)
    Q_SIGNAL void showSwapAlertChanged();

    // The layout search's cache: the inputs of the last cached layout and its tree, written
    // together and only by the search. Not published: the search runs while the window
    // renders and must not make it render again.
    layout::LayoutCache &layoutCache() { return m_layoutCache; }
    // What the layout search reads of this window: every record in list order, the area,
    // and the objective in force.
    layout::SearchInput searchInput(layout::LayoutAlgorithm algorithm) const;
    const layout::ViewConfiguration &viewConfig() const { return m_layoutCache.viewConfig; }
    const layout::NodePtr &lastLayout() const { return m_layoutCache.lastLayout; }

private:
    bool holds(const std::shared_ptr<VideoMetadata> &meta) const;
    void follow(const VideoMetadata &meta);
    void unfollow(const VideoMetadata &meta);

    QList<std::shared_ptr<VideoMetadata>> m_videoMetas;
    layout::LayoutCache m_layoutCache;
};

} // namespace marquetrix
