#pragma once

#include "layoutlogsink.h"
#include "layoutstate.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <vector>

namespace marquetrix {

// The tiles of one window: runs the layout search for the window's LayoutState and the
// objective in force, fits the tree into the layout area and holds one row per placed video
// with the tile's rectangle in the area.
//
// Rows are keyed by the video's id. A relayout updates the rectangles of the videos that stay
// placed, removes the rows of videos that left and appends rows for new ones, so the view
// never recreates the tile (and its player) of a video that stays.
//
// Every published change of the LayoutState and of the objective lays out again, once per
// event-loop turn; the search's cache answers when nothing that matters changed.
class LayoutViewModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT

public:
    enum Role
    {
        VideoMetaRole = Qt::UserRole + 1,
        VideoIdRole,
        TileXRole,
        TileYRole,
        TileWidthRole,
        TileHeightRole,
    };
    Q_ENUM(Role)

    explicit LayoutViewModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_PROPERTY(marquetrix::LayoutState *layoutState READ layoutState WRITE setLayoutState NOTIFY
                   layoutStateChanged REQUIRED)
    LayoutState *layoutState() const { return m_layoutState; }
    void setLayoutState(LayoutState *value);
    Q_SIGNAL void layoutStateChanged();

    // The stored objective (AppSettings.layoutAlgorithm).
    Q_PROPERTY(int layoutAlgorithm READ layoutAlgorithm WRITE setLayoutAlgorithm NOTIFY
                   layoutAlgorithmChanged)
    int layoutAlgorithm() const { return m_layoutAlgorithm; }
    void setLayoutAlgorithm(int value);
    Q_SIGNAL void layoutAlgorithmChanged();

    // The search found no tree: the window shows its welcome content instead of tiles.
    Q_PROPERTY(bool layoutFailed READ layoutFailed NOTIFY layoutFailedChanged)
    bool layoutFailed() const { return m_layoutFailed; }
    Q_SIGNAL void layoutFailedChanged();

    // The window's focus flag; a swap sets it after the drop has been handled.
    Q_PROPERTY(
        bool isMainFocused READ isMainFocused WRITE setIsMainFocused NOTIFY isMainFocusedChanged)
    bool isMainFocused() const { return m_isMainFocused; }
    void setIsMainFocused(bool value);
    Q_SIGNAL void isMainFocusedChanged();

    // The area the tiles were placed in. The window may already be larger or smaller while
    // the resize goes on; the view stretches the tiles by the difference meanwhile.
    Q_PROPERTY(qreal areaWidth READ areaWidth NOTIFY areaChanged)
    qreal areaWidth() const { return m_area.width(); }
    Q_PROPERTY(qreal areaHeight READ areaHeight NOTIFY areaChanged)
    qreal areaHeight() const { return m_area.height(); }
    Q_SIGNAL void areaChanged();

    // Searches the cache did not answer, for diagnostics: hovering and ticking tiles must
    // not add to it.
    Q_PROPERTY(int searchCount READ searchCount NOTIFY searchCountChanged)
    int searchCount() const { return m_searchCount; }
    Q_SIGNAL void searchCountChanged();

    // A drop of `items` (the dropped text items) on the tile of the video `targetId`. Taken
    // (true) only for one text item that is the id of another video of equal picture ratio:
    // the two swap places in the list. Ratios that differ raise the swap alert.
    Q_INVOKABLE bool handleLeafDrop(const QStringList &items, const QString &targetId);

    // Lays out now.
    void relayout();
    // Lays out at the next turn of the event loop (once, however often asked).
    Q_SLOT void scheduleRelayout();

private:
    struct Row
    {
        std::shared_ptr<VideoMetadata> meta;
        QRectF rect;
    };
    struct Placed
    {
        std::shared_ptr<VideoMetadata> meta;
        QRectF rect;
    };

    std::vector<Placed> place();
    void applyPlacement(const std::vector<Placed> &placed);
    void setLayoutFailed(bool value);

    QPointer<LayoutState> m_layoutState;
    int m_layoutAlgorithm = 1;
    bool m_layoutFailed = false;
    bool m_isMainFocused = false;
    int m_searchCount = 0;
    bool m_relayoutQueued = false;
    std::vector<Row> m_rows;
    QSizeF m_area;
    LayoutLogSink m_log;
};

} // namespace marquetrix
