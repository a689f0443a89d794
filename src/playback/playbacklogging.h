#pragma once

#include <QLoggingCategory>

// The categories this module logs under; failures are warnings, never hidden at debug.
Q_DECLARE_LOGGING_CATEGORY(lcVideoView)
Q_DECLARE_LOGGING_CATEGORY(lcPlayerDelegate)
Q_DECLARE_LOGGING_CATEGORY(lcLiveReconnection)
Q_DECLARE_LOGGING_CATEGORY(lcSync)
