#pragma once

#include "mediaengine.h"

#include <QtQml/qqml.h>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// The engine reaches QML as the type `MediaEngine` of the module Marquetrix.Playback, so that
// the views pass it on by its type; the platform library itself stays free of QML.
struct MediaEngineForeign
{
    Q_GADGET
    QML_FOREIGN(marquetrix::MediaEngine)
    QML_NAMED_ELEMENT(MediaEngine)
    QML_UNCREATABLE("The window is given its engine")
};

} // namespace marquetrix
