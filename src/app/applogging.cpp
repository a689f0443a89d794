#include "applogging.h"

Q_LOGGING_CATEGORY(lcMain, "marquetrix.main", QtInfoMsg)
Q_LOGGING_CATEGORY(lcContentView, "marquetrix.contentView", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLayoutView, "marquetrix.layoutView", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInstance, "marquetrix.instance", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMpris, "marquetrix.mpris", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSession, "marquetrix.session", QtInfoMsg)
