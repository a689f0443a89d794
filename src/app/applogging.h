#pragma once

#include <QLoggingCategory>

// The categories this module logs under; failures are warnings, never hidden at debug.
Q_DECLARE_LOGGING_CATEGORY(lcMain)
Q_DECLARE_LOGGING_CATEGORY(lcContentView)
Q_DECLARE_LOGGING_CATEGORY(lcLayoutView)
Q_DECLARE_LOGGING_CATEGORY(lcInstance)
Q_DECLARE_LOGGING_CATEGORY(lcMpris)
Q_DECLARE_LOGGING_CATEGORY(lcSession)
