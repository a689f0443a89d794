#include "logging.h"

Q_LOGGING_CATEGORY(lcEngine, "marquetrix.engine", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSecrets, "marquetrix.secrets", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLayout, "marquetrix.layout", QtInfoMsg)
