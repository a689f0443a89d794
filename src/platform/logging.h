#pragma once

#include <QLoggingCategory>

// The categories the system layer logs under; failures are warnings, never hidden at debug.
// The layout engine, free of Qt, logs through the sink here.
Q_DECLARE_LOGGING_CATEGORY(lcEngine)
Q_DECLARE_LOGGING_CATEGORY(lcSecrets)
Q_DECLARE_LOGGING_CATEGORY(lcLayout)
