#pragma once

#include <QQuickItem>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// Shows the pictures a QVideoSink receives, keeping their aspect ratio on black. Built for
// software rendering, where every window frame shades every pixel of the window: the engine
// hands over RGB pictures already at the size they are shown, so each pixel of a tile is one
// texture read with no filtering, and black is drawn only beside the picture, never under
// it. Qt's VideoOutput converts YCbCr with a matrix per pixel over a whole black tile, at
// twice the CPU per window frame.
class VideoPicture : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVideoSink *videoSink READ videoSink CONSTANT)
    // Where the picture is drawn, in the item's coordinates; empty before the first one.
    Q_PROPERTY(QRectF contentRect READ contentRect NOTIFY contentRectChanged)
    // Whether the window's renderer enlarges a picture at no cost (a GPU). Where the CPU
    // draws, the engine had better make pictures at the size they are shown, larger too.
    Q_PROPERTY(bool scalesFreely READ scalesFreely NOTIFY scalesFreelyChanged)
public:
    explicit VideoPicture(QQuickItem *parent = nullptr);

    QVideoSink *videoSink() const { return m_sink; }
    QRectF contentRect() const { return pictureRect(m_pictureSize); }
    bool scalesFreely() const;

Q_SIGNALS:
    void contentRectChanged();
    void scalesFreelyChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    void takeFrame(const QVideoFrame &frame);
    QRectF pictureRect(QSizeF picture) const;

    QVideoSink *m_sink;
    QVideoFrame m_frame;
    QSizeF m_pictureSize;
    bool m_frameChanged = false;
};

} // namespace marquetrix
