#include "statelogging.h"

Q_LOGGING_CATEGORY(lcState, "marquetrix.state", QtInfoMsg)
