#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

#include <atomic>
#include <mutex>
#include <vector>

class QQuickWindow;

namespace marquetrix::bench {

// Counts the video pictures that reach the screen: at the end of each window frame, on the
// render thread, it reads the frame code of every tile from the pixels the frame is about to
// swap in. A tile whose number changed since the previous frame shows one more picture; a
// jump of more than one is pictures that were delivered but never seen.
class ScreenProbe : public QObject
{
public:
    explicit ScreenProbe(QQuickWindow *window);
    ~ScreenProbe() override;

    // Finds the tiles' pictures in the scene; call once the layout has settled. False when
    // the scene is not drawn with OpenGL, whose pixels the probe reads.
    bool locateTiles();
    // The tiles as placed in the window, in window coordinates.
    std::vector<QRect> tiles() const;

    void start();
    void stop();

    // Tiles whose picture changed on the screen since start().
    int tilesShowing() const;
    qint64 shown() const { return m_shown; }
    qint64 unseen() const { return m_unseen; }
    // Readings where a tile's code was covered or not there.
    qint64 unreadable() const { return m_unreadable; }

private:
    struct Tile
    {
        QRect rect;
        // The cells' centres in framebuffer pixels, bottom-up as OpenGL counts.
        std::vector<QPoint> cells;
        int last = -1;
        bool changed = false;
    };

    void readFrame();

    QQuickWindow *m_window;
    mutable std::mutex m_mutex;
    std::vector<Tile> m_tiles;
    bool m_recording = false;
    std::atomic<qint64> m_shown = 0;
    std::atomic<qint64> m_unseen = 0;
    std::atomic<qint64> m_unreadable = 0;
};

} // namespace marquetrix::bench
