#include "screenprobe.h"

#include "framecode.h"
#include "screenrows.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <algorithm>
#include <cmath>

namespace marquetrix::bench {

namespace {

void findVideoOutputs(QQuickItem *item, std::vector<QQuickItem *> &outputs)
{
    if (item->inherits("marquetrix::VideoPicture") && item->isVisible())
        outputs.push_back(item);
    for (QQuickItem *child : item->childItems())
        findVideoOutputs(child, outputs);
}

} // namespace

ScreenProbe::ScreenProbe(QQuickWindow *window) : m_window(window)
{
    // Direct: the frame must be read on the render thread while it is still being drawn.
    connect(
        window, &QQuickWindow::afterRenderPassRecording, this, [this] { readFrame(); },
        Qt::DirectConnection);
    // Drawn by the CPU, the frame is read back from the X server once it has been sent there,
    // by a thread of the probe's own: reading on the thread that draws would slow the drawing.
    connect(
        window, &QQuickWindow::frameSwapped, this,
        [this] {
            {
                const std::lock_guard lock(m_mutex);
                if (!m_software || !m_recording)
                    return;
                m_readPending = true;
            }
            m_wake.notify_one();
        },
        Qt::DirectConnection);
}

ScreenProbe::~ScreenProbe()
{
    {
        const std::lock_guard lock(m_mutex);
        m_recording = false;
        m_quit = true;
    }
    m_wake.notify_one();
    if (m_reader.joinable())
        m_reader.join();
}

bool ScreenProbe::locateTiles()
{
    const QSGRendererInterface::GraphicsApi api = m_window->rendererInterface()->graphicsApi();
    if (api != QSGRendererInterface::OpenGL && api != QSGRendererInterface::Software)
        return false;
    const bool software = api == QSGRendererInterface::Software;
    std::vector<QQuickItem *> outputs;
    findVideoOutputs(m_window->contentItem(), outputs);
    const double ratio = m_window->effectiveDevicePixelRatio();
    const int height = int(std::lround(m_window->height() * ratio));
    std::vector<Tile> tiles;
    for (QQuickItem *output : outputs) {
        Tile tile;
        tile.rect = output->mapRectToScene(output->boundingRect()).toAlignedRect();
        // The benchmark asks for no crop, so the content rectangle is the whole picture.
        const QRectF picture = output->mapRectToScene(output->property("contentRect").toRectF());
        for (const QPointF &centre : FrameCode::cellCentres(picture)) {
            const QPoint cell(int(centre.x() * ratio), int(centre.y() * ratio));
            tile.cells.push_back(software ? m_window->mapToGlobal(cell)
                                          : QPoint(cell.x(), height - 1 - cell.y()));
        }
        tiles.push_back(tile);
    }
    const std::lock_guard lock(m_mutex);
    m_tiles = std::move(tiles);
    m_software = software;
    if (software && !m_reader.joinable())
        m_reader = std::thread([this] { readScreen(); });
    return true;
}

std::vector<QRect> ScreenProbe::tiles() const
{
    const std::lock_guard lock(m_mutex);
    std::vector<QRect> rects;
    for (const Tile &tile : m_tiles)
        rects.push_back(tile.rect);
    return rects;
}

int ScreenProbe::tilesShowing() const
{
    const std::lock_guard lock(m_mutex);
    return int(std::count_if(m_tiles.begin(), m_tiles.end(),
                             [](const Tile &tile) { return tile.changed; }));
}

void ScreenProbe::start()
{
    const std::lock_guard lock(m_mutex);
    for (Tile &tile : m_tiles) {
        tile.last = -1;
        tile.changed = false;
    }
    m_shown = 0;
    m_unseen = 0;
    m_unreadable = 0;
    m_recording = true;
}

void ScreenProbe::stop()
{
    const std::lock_guard lock(m_mutex);
    m_recording = false;
}

void ScreenProbe::readFrame()
{
    const std::lock_guard lock(m_mutex);
    if (!m_recording || m_tiles.empty() || m_software)
        return;
    // Runs the commands recorded so far, so that the pixels read are this frame's.
    m_window->beginExternalCommands();
    QOpenGLFunctions *gl = QOpenGLContext::currentContext()->functions();
    std::vector<unsigned char> row;
    for (Tile &tile : m_tiles) {
        // One read per tile: the cells lie on one row.
        const int left = tile.cells.front().x();
        const int width = tile.cells.back().x() - left + 1;
        row.resize(std::size_t(width) * 4);
        gl->glReadPixels(left, tile.cells.front().y(), width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                         row.data());
        readTile(tile, row.data(), left);
    }
    m_window->endExternalCommands();
}

void ScreenProbe::readScreen()
{
    ScreenRows screen;
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_readPending || m_quit; });
        if (m_quit)
            return;
        m_readPending = false;
        std::vector<QRect> rows;
        for (const Tile &tile : m_tiles)
            rows.emplace_back(tile.cells.front(), tile.cells.back());
        // Frames swapped meanwhile are read as one: a picture they showed and replaced is
        // counted as unseen, never as shown.
        lock.unlock();
        const std::vector<std::vector<std::uint8_t>> pixels = screen.read(rows);
        lock.lock();
        if (!m_recording || pixels.size() != m_tiles.size())
            continue;
        for (std::size_t i = 0; i < m_tiles.size(); ++i) {
            if (pixels[i].empty())
                ++m_unreadable;
            else
                readTile(m_tiles[i], pixels[i].data(), rows[i].x());
        }
    }
}

void ScreenProbe::readTile(Tile &tile, const unsigned char *row, int left)
{
    std::vector<int> luma(FrameCode::bits);
    for (int bit = 0; bit < FrameCode::bits; ++bit) {
        const unsigned char *pixel = &row[std::size_t(tile.cells[bit].x() - left) * 4];
        luma[bit] = (pixel[0] * 77 + pixel[1] * 150 + pixel[2] * 29) >> 8;
    }
    const std::optional<int> value = FrameCode::decode(luma);
    if (!value) {
        ++m_unreadable;
        return;
    }
    if (tile.last >= 0 && *value != tile.last) {
        tile.changed = true;
        ++m_shown;
        m_unseen += FrameCode::skippedBetween(tile.last, *value);
    }
    tile.last = *value;
}

} // namespace marquetrix::bench
