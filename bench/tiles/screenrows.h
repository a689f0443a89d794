#pragma once

#include <QRect>

#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace marquetrix::bench {

// Reads rows of pixels off the X screen on a connection of its own, so that reading never
// waits on, or in, the window's connection. All rows go out at once: one round trip to the
// X server, which is what a busy machine makes slow.
class ScreenRows
{
public:
    ScreenRows();
    ~ScreenRows();
    ScreenRows(const ScreenRows &) = delete;
    ScreenRows &operator=(const ScreenRows &) = delete;

    // Each row as RGBA, in screen coordinates; an empty row where the server refused it.
    std::vector<std::vector<std::uint8_t>> read(const std::vector<QRect> &rows);

private:
    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
};

} // namespace marquetrix::bench
