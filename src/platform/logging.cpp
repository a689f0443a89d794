#include "logging.h"

Q_LOGGING_CATEGORY(lcMain, "marquetrix.main", QtInfoMsg)
Q_LOGGING_CATEGORY(lcContentView, "marquetrix.contentView", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLayout, "marquetrix.layout", QtInfoMsg)
Q_LOGGING_CATEGORY(lcVideoView, "marquetrix.videoView", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlayerDelegate, "marquetrix.playerDelegate", QtInfoMsg)
Q_LOGGING_CATEGORY(lcVideoOpener, "marquetrix.videoOpener", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCredentials, "marquetrix.credentials", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEngine, "marquetrix.engine", QtInfoMsg)
