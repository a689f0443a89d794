#include "playbacklogging.h"

Q_LOGGING_CATEGORY(lcVideoView, "marquetrix.videoView", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlayerDelegate, "marquetrix.playerDelegate", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLiveReconnection, "marquetrix.liveReconnection", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSync, "marquetrix.sync", QtInfoMsg)
