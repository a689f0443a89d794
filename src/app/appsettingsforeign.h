#pragma once

#include "appsettings.h"

#include <QtQml/qqml.h>
#include <QtQml/qqmlregistration.h>

namespace marquetrix {

// The settings object reaches QML as the singleton `AppSettings` of the module Marquetrix;
// the platform library itself stays free of QML.
struct AppSettingsForeign
{
    Q_GADGET
    QML_FOREIGN(marquetrix::AppSettings)
    QML_NAMED_ELEMENT(AppSettings)
    QML_SINGLETON
};

} // namespace marquetrix
