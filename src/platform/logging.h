#pragma once

#include <QLoggingCategory>

// One category per component; failures are logged as warnings, never hidden at debug.
Q_DECLARE_LOGGING_CATEGORY(lcMain)
Q_DECLARE_LOGGING_CATEGORY(lcContentView)
Q_DECLARE_LOGGING_CATEGORY(lcLayout)
Q_DECLARE_LOGGING_CATEGORY(lcVideoView)
Q_DECLARE_LOGGING_CATEGORY(lcPlayerDelegate)
Q_DECLARE_LOGGING_CATEGORY(lcVideoOpener)
Q_DECLARE_LOGGING_CATEGORY(lcCredentials)
Q_DECLARE_LOGGING_CATEGORY(lcEngine)
