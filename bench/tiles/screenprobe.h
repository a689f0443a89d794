#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class QQuickWindow;

namespace marquetrix::bench {

// Counts the video pictures that reach the screen: at the end of each window frame, on the
// render thread, it reads the frame code of every tile from the pixels the frame is about to
// swap in (drawn with OpenGL) or has just sent to the X server (drawn by the CPU). A tile whose
// number changed since the previous frame shows one more picture; a jump of more than one is
// pictures that were delivered but never seen.
class ScreenProbe : public QObject
{
public:
    explicit ScreenProbe(QQuickWindow *window);
    ~ScreenProbe() override;

    // Finds the tiles' pictures in the scene; call once the layout has settled. False when
    // the scene is drawn neither with OpenGL nor by the CPU.
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
        // The cells' centres: in framebuffer pixels, bottom-up as OpenGL counts; on the screen
        // when the CPU draws.
        std::vector<QPoint> cells;
        int last = -1;
        bool changed = false;
    };

    void readFrame();
    void readScreen();
    // Decodes one tile's frame code from the row of pixels (RGBA) its cells lie on.
    void readTile(Tile &tile, const unsigned char *row, int left);

    QQuickWindow *m_window;
    mutable std::mutex m_mutex;
    std::vector<Tile> m_tiles;
    bool m_recording = false;
    bool m_software = false;
    bool m_readPending = false;
    bool m_quit = false;
    std::condition_variable m_wake;
    std::thread m_reader;
    std::atomic<qint64> m_shown = 0;
    std::atomic<qint64> m_unseen = 0;
    std::atomic<qint64> m_unreadable = 0;
};

} // namespace marquetrix::bench
