#include "openinglogging.h"

Q_LOGGING_CATEGORY(lcVideoOpener, "marquetrix.videoOpener", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCredentials, "marquetrix.credentials", QtInfoMsg)
Q_LOGGING_CATEGORY(lcResolverClient, "marquetrix.resolverClient", QtInfoMsg)
