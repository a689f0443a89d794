#pragma once

#include <QString>

namespace marquetrix {

// Picks how Qt Quick draws the windows, before the first one is made. Where OpenGL is itself
// run by the CPU (Mesa's llvmpipe and softpipe: virtual machines, remote desktops, machines
// without a GPU driver), Qt Quick's own raster renderer draws instead: it repaints only the
// tiles whose picture changed and copies a picture shown at its own size as it is, where
// emulated OpenGL shades every pixel of the window in every frame. A backend the user chose
// (QT_QUICK_BACKEND, QSG_RHI_BACKEND) is kept.
class SceneGraphChoice
{
public:
    // Applies the choice; returns the OpenGL renderer that made the CPU draw, else empty.
    static QString apply();
};

} // namespace marquetrix
