#include "layoutstate.h"

#include "statelogging.h"

#include <QDebug>
#include <QRandomGenerator>
#include <algorithm>

namespace marquetrix {

namespace {

qsizetype metaCount(QQmlListProperty<VideoMetadata> *list)
{
    return static_cast<LayoutState *>(list->object)->videoMetas().size();
}

VideoMetadata *metaAt(QQmlListProperty<VideoMetadata> *list, qsizetype index)
{
    return static_cast<LayoutState *>(list->object)->videoMetas().at(index).get();
}

} // namespace

QQmlListProperty<VideoMetadata> LayoutState::videoMetaList()
{
    return QQmlListProperty<VideoMetadata>(this, nullptr, &metaCount, &metaAt);
}

bool LayoutState::holds(const std::shared_ptr<VideoMetadata> &meta) const
{
    return indexOfVideoMeta(meta->id()) >= 0;
}

// The list holds each record at most once and never a null one: a second copy would be
// laid out twice and torn down once.
void LayoutState::follow(const VideoMetadata &meta)
{
    connect(&meta, &VideoMetadata::shapeChanged, this, [this] { setCounter(m_counter + 1); });
}

void LayoutState::unfollow(const VideoMetadata &meta)
{
    disconnect(&meta, &VideoMetadata::shapeChanged, this, nullptr);
}

void LayoutState::setVideoMetas(const QList<std::shared_ptr<VideoMetadata>> &value)
{
    for (const auto &meta : std::as_const(m_videoMetas))
        unfollow(*meta);
    m_videoMetas.clear();
    for (const auto &meta : value) {
        if (!meta || holds(meta)) {
            qCWarning(lcState) << "LayoutState: dropping a missing or repeated video record";
            continue;
        }
        m_videoMetas.append(meta);
        follow(*meta);
    }
    emit videoMetasChanged();
}

// Every way of opening a video ends here, so this is where the count is held.
void LayoutState::appendVideoMeta(const std::shared_ptr<VideoMetadata> &meta)
{
    if (m_videoMetas.size() >= kMaxVideos) {
        qCWarning(lcState) << "LayoutState: not opening another video:" << kMaxVideos
                           << "videos are open already";
        setShowVideoLimitAlert(true);
        return;
    }
    insertVideoMeta(m_videoMetas.size(), meta);
}

void LayoutState::insertVideoMeta(qsizetype index, const std::shared_ptr<VideoMetadata> &meta)
{
    if (!meta || holds(meta)) {
        qCWarning(lcState) << "LayoutState: not adding a missing or already listed video record";
        return;
    }
    m_videoMetas.insert(std::clamp<qsizetype>(index, 0, m_videoMetas.size()), meta);
    follow(*meta);
    emit videoMetasChanged();
}

bool LayoutState::removeVideoMeta(const QUuid &id)
{
    const qsizetype index = indexOfVideoMeta(id);
    if (index < 0)
        return false;
    unfollow(*m_videoMetas.at(index));
    m_videoMetas.removeAt(index);
    emit videoMetasChanged();
    return true;
}

void LayoutState::swapVideoMetas(qsizetype first, qsizetype second)
{
    const qsizetype size = m_videoMetas.size();
    if (first < 0 || second < 0 || first >= size || second >= size) {
        qCWarning(lcState) << "LayoutState: cannot swap videos" << first << "and" << second << "of"
                           << size;
        return;
    }
    m_videoMetas.swapItemsAt(first, second);
    emit videoMetasChanged();
}

void LayoutState::shuffleVideoMetas()
{
    std::shuffle(m_videoMetas.begin(), m_videoMetas.end(), *QRandomGenerator::global());
    emit videoMetasChanged();
}

qsizetype LayoutState::indexOfVideoMeta(const QUuid &id) const
{
    const auto found = std::find_if(m_videoMetas.cbegin(), m_videoMetas.cend(),
                                    [&id](const auto &meta) { return meta->id() == id; });
    return found == m_videoMetas.cend() ? -1 : found - m_videoMetas.cbegin();
}

layout::SearchInput LayoutState::searchInput(layout::LayoutAlgorithm algorithm) const
{
    layout::SearchInput input;
    input.videos.reserve(static_cast<std::size_t>(m_videoMetas.size()));
    for (const auto &meta : m_videoMetas)
        input.videos.push_back({meta->isClosed(), meta->overriddenAR(), meta->width(),
                                meta->height(), meta->title().toStdString()});
    input.viewWidth = m_viewWidth;
    input.viewHeight = m_viewHeight;
    input.layoutAlgorithm = algorithm;
    return input;
}

} // namespace marquetrix
