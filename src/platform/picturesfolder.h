#pragma once

#include <QString>

namespace marquetrix {

// The user's pictures folder as the desktop names it (xdg-user-dir PICTURES), or ~/Pictures
// where the desktop names none.
QString picturesFolder();

} // namespace marquetrix
