#pragma once

#include <httplib.h>

namespace marquetrix::resolver {

// An HTTP server that can serve on a listening socket it was handed (by a parent that
// opened the port before starting it) instead of binding one itself.
class AdoptingServer : public httplib::Server
{
public:
    void adoptListeningSocket(socket_t socket) { svr_sock_ = socket; }
};

} // namespace marquetrix::resolver
