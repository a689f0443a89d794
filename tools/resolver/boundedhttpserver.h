#pragma once

#include <httplib.h>

#include <chrono>

namespace marquetrix::resolver {

class StopSwitch;

// The HTTP server of the service: one request per connection, read within one bound in
// all (headers and body, however slowly they come), connections cut when the service
// stops, and a listening socket that may be one the parent opened before starting it.
class BoundedHttpServer : public httplib::Server
{
public:
    // A client's network stack sends a request of a few hundred bytes at once; a proxy
    // in front of the service passes it on whole.
    static constexpr std::chrono::milliseconds requestReadBound{4000};

    explicit BoundedHttpServer(StopSwitch &stopSwitch) : m_stopSwitch(stopSwitch) {}

    void adoptListeningSocket(socket_t socket) { svr_sock_ = socket; }
    // Lets bursts of clients wait in the system's queue instead of being turned away.
    void raiseListenBacklog();

private:
    bool process_and_close_socket(socket_t sock) override;

    StopSwitch &m_stopSwitch;
};

} // namespace marquetrix::resolver
