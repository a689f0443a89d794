#include "layoutviewmodel.h"

#include "followedstate.h"

#include "applogging.h"
#include "errornode.h"
#include "layoutsearch.h"
#include "leafdrop.h"
#include "placement.h"

#include <QMetaObject>
#include <QMetaProperty>
#include <algorithm>

namespace marquetrix {

namespace {

const auto failedToFindLayout = QStringLiteral("Failed to find layout");

} // namespace

LayoutViewModel::LayoutViewModel(QObject *parent) : QAbstractListModel(parent) {}

int LayoutViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant LayoutViewModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case VideoMetaRole:
        return QVariant::fromValue(row.meta.get());
    case VideoIdRole:
        return row.meta->idText();
    case TileXRole:
        return row.rect.x();
    case TileYRole:
        return row.rect.y();
    case TileWidthRole:
        return row.rect.width();
    case TileHeightRole:
        return row.rect.height();
    default:
        return {};
    }
}

QHash<int, QByteArray> LayoutViewModel::roleNames() const
{
    return {{VideoMetaRole, "videoMeta"}, {VideoIdRole, "videoId"},
            {TileXRole, "tileX"},         {TileYRole, "tileY"},
            {TileWidthRole, "tileWidth"}, {TileHeightRole, "tileHeight"}};
}

void LayoutViewModel::setLayoutState(LayoutState *value)
{
    followState(m_layoutState, value, this);
    if (value) {
        // Every published field re-renders the layout view, as the window's state promises.
        const QMetaObject *meta = value->metaObject();
        const int slot = metaObject()->indexOfSlot("scheduleRelayout()");
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            if (property.hasNotifySignal())
                QMetaObject::connect(value, property.notifySignalIndex(), this, slot);
        }
    }
    emit layoutStateChanged();
    scheduleRelayout();
}

void LayoutViewModel::setLayoutAlgorithm(int value)
{
    m_layoutAlgorithm = value;
    emit layoutAlgorithmChanged();
    scheduleRelayout();
}

void LayoutViewModel::setIsMainFocused(bool value)
{
    m_isMainFocused = value;
    emit isMainFocusedChanged();
}

void LayoutViewModel::setLayoutFailed(bool value)
{
    if (m_layoutFailed == value)
        return;
    m_layoutFailed = value;
    emit layoutFailedChanged();
}

void LayoutViewModel::scheduleRelayout()
{
    if (m_relayoutQueued)
        return;
    m_relayoutQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_relayoutQueued = false;
            relayout();
        },
        Qt::QueuedConnection);
}

void LayoutViewModel::relayout()
{
    qCDebug(lcLayoutView) << "Recalculating layout";
    applyPlacement(place());
    const LayoutState *state = m_layoutState;
    const QSizeF area = state ? QSizeF(state->viewWidth(), state->viewHeight()) : QSizeF();
    if (area != m_area) {
        m_area = area;
        emit areaChanged();
    }
}

std::vector<LayoutViewModel::Placed> LayoutViewModel::place()
{
    LayoutState *state = m_layoutState;
    if (!state || state->videoMetas().isEmpty()) {
        setLayoutFailed(false);
        return {};
    }
    const auto &metas = state->videoMetas();
    const layout::SearchInput input =
        state->searchInput(layout::layoutAlgorithmFromStored(m_layoutAlgorithm));
    layout::SearchReport report;
    const layout::NodePtr tree = layout::findLayout(input, state->layoutCache(), m_log, &report);
    if (!report.cached) {
        ++m_searchCount;
        emit searchCountChanged();
    }

    if (!tree || dynamic_cast<const layout::ErrorNode *>(tree.get())) {
        setLayoutFailed(true);
        // After this rendering, and only once: an error already there stays.
        QMetaObject::invokeMethod(
            state,
            [state] {
                if (state->layoutError().isEmpty())
                    state->setLayoutError(failedToFindLayout);
            },
            Qt::QueuedConnection);
        return {};
    }
    setLayoutFailed(false);

    std::vector<Placed> placed;
    for (const layout::TilePlacement &tile :
         layout::placeTiles(tree, input.videos, input.viewWidth, input.viewHeight, m_log)) {
        if (!tile.video || *tile.video >= static_cast<std::size_t>(metas.size()))
            continue;
        placed.push_back({metas.at(static_cast<qsizetype>(*tile.video)),
                          QRectF(tile.x, tile.y, tile.width, tile.height)});
    }
    return placed;
}

void LayoutViewModel::applyPlacement(const std::vector<Placed> &placed)
{
    const auto placedIndex = [&placed](const QUuid &id) {
        return std::find_if(placed.begin(), placed.end(),
                            [&id](const Placed &p) { return p.meta->id() == id; });
    };

    // Videos that are no longer placed go; their tiles with them.
    for (int row = static_cast<int>(m_rows.size()) - 1; row >= 0; --row) {
        if (placedIndex(m_rows[static_cast<std::size_t>(row)].meta->id()) != placed.end())
            continue;
        beginRemoveRows({}, row, row);
        m_rows.erase(m_rows.begin() + row);
        endRemoveRows();
    }

    // Videos that stay keep their row and so their tile; only the rectangle moves.
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        const QRectF rect = placedIndex(m_rows[row].meta->id())->rect;
        if (rect == m_rows[row].rect)
            continue;
        m_rows[row].rect = rect;
        const QModelIndex changed = index(static_cast<int>(row));
        emit dataChanged(changed, changed, {TileXRole, TileYRole, TileWidthRole, TileHeightRole});
    }

    for (const Placed &p : placed) {
        const bool known = std::any_of(m_rows.begin(), m_rows.end(), [&p](const Row &row) {
            return row.meta->id() == p.meta->id();
        });
        if (known)
            continue;
        const int row = static_cast<int>(m_rows.size());
        beginInsertRows({}, row, row);
        m_rows.push_back({p.meta, p.rect});
        endInsertRows();
    }
}

bool LayoutViewModel::handleLeafDrop(const QStringList &items, const QString &targetId)
{
    LayoutState *state = m_layoutState;
    if (items.size() != 1 || !state)
        return false;
    qCInfo(lcLayoutView) << "Received leaf drop of type String";

    std::vector<layout::LeafDropVideo> videos;
    for (const auto &meta : state->videoMetas())
        videos.push_back({meta->idText().toStdString(), meta->width(), meta->height()});
    const layout::SwapDecision decision = layout::decideLeafDrop(
        videos, items.first().toStdString(), targetId.toUpper().toStdString());

    switch (decision.outcome) {
    case layout::SwapDecision::Outcome::Swap:
        state->swapVideoMetas(static_cast<qsizetype>(decision.source),
                              static_cast<qsizetype>(decision.target));
        QMetaObject::invokeMethod(
            this, [this] { setIsMainFocused(true); }, Qt::QueuedConnection);
        return true;
    case layout::SwapDecision::Outcome::RatiosDiffer:
        state->setShowSwapAlert(true);
        return false;
    case layout::SwapDecision::Outcome::Refused:
        return false;
    }
    return false;
}

} // namespace marquetrix
