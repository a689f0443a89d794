#pragma once

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
// swap alert and the layout cache. Every assignment notifies, also when the value is unchanged; a
// change of a record inside the list notifies nobody.
class LayoutState : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    explicit LayoutState(QObject *parent = nullptr) : QObject(parent) {}

    Q_PROPERTY(float viewWidth READ viewWidth WRITE setViewWidth NOTIFY viewWidthChanged)
    float viewWidth() const { return m_viewWidth; }
    void setViewWidth(float value)
    {
        m_viewWidth = value;
        emit viewWidthChanged();
    }
    Q_SIGNAL void viewWidthChanged();

    Q_PROPERTY(float viewHeight READ viewHeight WRITE setViewHeight NOTIFY viewHeightChanged)
    float viewHeight() const { return m_viewHeight; }
    void setViewHeight(float value)
    {
        m_viewHeight = value;
        emit viewHeightChanged();
    }
    Q_SIGNAL void viewHeightChanged();

    // The most videos one window holds: the layout search answers in bounded time up to this
    // many, and more tiles would be too small to watch.
    static constexpr qsizetype kMaxVideos = 64;

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
    bool aspectRatioChange() const { return m_aspectRatioChange; }
    void setAspectRatioChange(bool value)
    {
        m_aspectRatioChange = value;
        emit aspectRatioChangeChanged();
    }
    Q_SIGNAL void aspectRatioChangeChanged();

    Q_PROPERTY(bool isFullscreen READ isFullscreen WRITE setIsFullscreen NOTIFY isFullscreenChanged)
    bool isFullscreen() const { return m_isFullscreen; }
    void setIsFullscreen(bool value)
    {
        m_isFullscreen = value;
        emit isFullscreenChanged();
    }
    Q_SIGNAL void isFullscreenChanged();

    // Bumped whenever a video's effective aspect ratio may have changed; its notification
    // makes the window lay out again.
    Q_PROPERTY(qint64 counter READ counter WRITE setCounter NOTIFY counterChanged)
    qint64 counter() const { return m_counter; }
    void setCounter(qint64 value)
    {
        m_counter = value;
        emit counterChanged();
    }
    Q_SIGNAL void counterChanged();

    Q_PROPERTY(QString layoutError READ layoutError WRITE setLayoutError NOTIFY layoutErrorChanged)
    QString layoutError() const { return m_layoutError; }
    void setLayoutError(const QString &value)
    {
        m_layoutError = value;
        emit layoutErrorChanged();
    }
    Q_SIGNAL void layoutErrorChanged();

    Q_PROPERTY(bool showVideoLimitAlert READ showVideoLimitAlert WRITE setShowVideoLimitAlert NOTIFY
                   showVideoLimitAlertChanged)
    bool showVideoLimitAlert() const { return m_showVideoLimitAlert; }
    void setShowVideoLimitAlert(bool value)
    {
        m_showVideoLimitAlert = value;
        emit showVideoLimitAlertChanged();
    }
    Q_SIGNAL void showVideoLimitAlertChanged();

    Q_PROPERTY(
        bool showSwapAlert READ showSwapAlert WRITE setShowSwapAlert NOTIFY showSwapAlertChanged)
    bool showSwapAlert() const { return m_showSwapAlert; }
    void setShowSwapAlert(bool value)
    {
        m_showSwapAlert = value;
        emit showSwapAlertChanged();
    }
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

    float m_viewWidth = 0;
    float m_viewHeight = 0;
    QList<std::shared_ptr<VideoMetadata>> m_videoMetas;
    bool m_aspectRatioChange = false;
    bool m_isFullscreen = false;
    qint64 m_counter = 0;
    QString m_layoutError;
    bool m_showSwapAlert = false;
    bool m_showVideoLimitAlert = false;
    layout::LayoutCache m_layoutCache;
};

} // namespace marquetrix
