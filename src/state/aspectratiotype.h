#pragma once

#include <QMetaType>

namespace marquetrix {

// Declared picture-shape classes. Records keep `unknown`: the layout works from the
// effective aspect ratio, not from a class.
enum class AspectRatioType
{
    portrait,
    standard,
    wide,
    ultrawide,
    unknown
};

} // namespace marquetrix
