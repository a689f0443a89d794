#include "screenrows.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace marquetrix::bench {

ScreenRows::ScreenRows()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    // The tiles' pixels are read as 32 bits per pixel, blue first: a 24-bit screen.
    if (!screens.rem || screens.data->root_depth != 24) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = screens.data->root;
}

ScreenRows::~ScreenRows()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

std::vector<std::vector<std::uint8_t>> ScreenRows::read(const std::vector<QRect> &rows)
{
    std::vector<std::vector<std::uint8_t>> pixels(rows.size());
    if (!m_connection)
        return pixels;
    std::vector<xcb_get_image_cookie_t> cookies;
    cookies.reserve(rows.size());
    for (const QRect &row : rows)
        cookies.push_back(xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root,
                                        std::int16_t(row.x()), std::int16_t(row.y()),
                                        std::uint16_t(row.width()), 1, ~0u));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        xcb_get_image_reply_t *reply = xcb_get_image_reply(m_connection, cookies[i], nullptr);
        if (!reply)
            continue;
        const std::size_t width = std::size_t(rows[i].width());
        if (std::size_t(xcb_get_image_data_length(reply)) >= width * 4) {
            const std::uint8_t *bgrx = xcb_get_image_data(reply);
            pixels[i].resize(width * 4);
            for (std::size_t x = 0; x < width; ++x) {
                pixels[i][x * 4] = bgrx[x * 4 + 2];
                pixels[i][x * 4 + 1] = bgrx[x * 4 + 1];
                pixels[i][x * 4 + 2] = bgrx[x * 4];
                pixels[i][x * 4 + 3] = 255;
            }
        }
        std::free(reply);
    }
    return pixels;
}

} // namespace marquetrix::bench
