#include "videopicture.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QSGRendererInterface>
#include <QSGTransformNode>
#include <QVideoSink>

#include <array>
#include <cmath>
#include <utility>

namespace marquetrix {

namespace {

// The node tree: the two bars beside or above and below the picture, then the picture once
// there is one.
constexpr int barCount = 2;

// Keeps a mapped frame alive for as long as the image that reads its samples.
void releaseFrame(void *frame)
{
    auto *held = static_cast<QVideoFrame *>(frame);
    held->unmap();
    delete held;
}

QImage imageOf(const QVideoFrame &frame)
{
    if (frame.pixelFormat() != QVideoFrameFormat::Format_BGRX8888)
        return frame.toImage();
    auto *held = new QVideoFrame(frame);
    if (!held->map(QVideoFrame::ReadOnly)) {
        delete held;
        return {};
    }
    return QImage(held->bits(0), held->width(), held->height(), held->bytesPerLine(0),
                  QImage::Format_RGB32, releaseFrame, held);
}

} // namespace

VideoPicture::VideoPicture(QQuickItem *parent) : QQuickItem(parent), m_sink(new QVideoSink(this))
{
    setFlag(ItemHasContents);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &VideoPicture::takeFrame);
}

void VideoPicture::takeFrame(const QVideoFrame &frame)
{
    m_frame = frame;
    m_frameChanged = true;
    const QSizeF pictureSize = frame.isValid() ? QSizeF(frame.size()) : QSizeF();
    if (std::exchange(m_pictureSize, pictureSize) != pictureSize)
        emit contentRectChanged();
    update();
}

void VideoPicture::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        emit contentRectChanged();
}

bool VideoPicture::scalesFreely() const
{
    return !window() ||
           window()->rendererInterface()->graphicsApi() != QSGRendererInterface::Software;
}

void VideoPicture::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemSceneChange)
        emit scalesFreelyChanged();
}

QRectF VideoPicture::pictureRect(QSizeF picture) const
{
    if (picture.isEmpty())
        return {};
    const QSizeF shown = picture.scaled(size(), Qt::KeepAspectRatio);
    // On whole device pixels, so that a picture made at the size it is shown maps one
    // sample to one pixel.
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QPointF corner((width() - shown.width()) / 2, (height() - shown.height()) / 2);
    return QRectF(QPointF(std::round(corner.x() * ratio), std::round(corner.y() * ratio)) / ratio,
                  shown);
}

QSGNode *VideoPicture::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    QSGNode *root = old;
    if (!root) {
        // A transform node, though it moves nothing: Qt's software renderer places a node
        // that joins later by the state of its parent, and keeps none for a plain node.
        root = new QSGTransformNode;
        for (int bar = 0; bar < barCount; ++bar)
            root->appendChildNode(window()->createRectangleNode());
    }
    auto *picture = static_cast<QSGImageNode *>(
        root->childCount() > barCount ? root->childAtIndex(barCount) : nullptr);
    if (m_frameChanged) {
        m_frameChanged = false;
        const QImage image = m_frame.isValid() ? imageOf(m_frame) : QImage();
        if (image.isNull()) {
            delete picture;
            picture = nullptr;
        } else {
            QSGTexture *texture = window()->createTextureFromImage(image);
            if (picture) {
                picture->setTexture(texture);
            } else {
                // With its texture before it joins the tree: renderers draw what joins.
                picture = window()->createImageNode();
                picture->setOwnsTexture(true);
                picture->setTexture(texture);
                root->appendChildNode(picture);
            }
        }
    }

    QRectF shown;
    if (picture) {
        const QSizeF textureSize(picture->texture()->textureSize());
        shown = pictureRect(textureSize);
        picture->setRect(shown);
        picture->setSourceRect(QRectF(QPointF(), textureSize));
        // Filtering costs a software renderer most of a tile's drawing; a picture drawn at
        // its own size needs none.
        const QSizeF drawn = shown.size() * window()->effectiveDevicePixelRatio();
        const bool oneToOne = std::abs(drawn.width() - textureSize.width()) <= 1 &&
                              std::abs(drawn.height() - textureSize.height()) <= 1;
        picture->setFiltering(oneToOne ? QSGTexture::Nearest : QSGTexture::Linear);
    }

    // Black where the picture is not: the whole item before the first picture.
    const QRectF all = boundingRect();
    std::array<QRectF, barCount> bars;
    if (shown.isEmpty()) {
        bars = {all, QRectF()};
    } else if (shown.width() < all.width()) {
        bars = {QRectF(all.topLeft(), QPointF(shown.left(), all.bottom())),
                QRectF(QPointF(shown.right(), all.top()), all.bottomRight())};
    } else {
        bars = {QRectF(all.topLeft(), QPointF(all.right(), shown.top())),
                QRectF(QPointF(all.left(), shown.bottom()), all.bottomRight())};
    }
    for (int bar = 0; bar < barCount; ++bar) {
        auto *node = static_cast<QSGRectangleNode *>(root->childAtIndex(bar));
        node->setColor(Qt::black);
        node->setRect(bars[size_t(bar)].isValid() ? bars[size_t(bar)] : QRectF());
    }
    return root;
}

} // namespace marquetrix
