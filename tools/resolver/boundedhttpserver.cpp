#include "boundedhttpserver.h"

#include "requeststream.h"
#include "stopswitch.h"

#include <sys/socket.h>
#include <unistd.h>

namespace marquetrix::resolver {

namespace {

constexpr std::chrono::milliseconds writeTimeout{5000};

} // namespace

void BoundedHttpServer::raiseListenBacklog()
{
    // Listening again on a listening socket only changes its queue's length.
    ::listen(svr_sock_, SOMAXCONN);
}

bool BoundedHttpServer::process_and_close_socket(socket_t sock)
{
    bool answered = false;
    if (m_stopSwitch.addSocket(sock)) {
        RequestStream stream(sock, RequestStream::Clock::now() + requestReadBound, writeTimeout);
        bool closedByClient = false;
        answered = process_request(stream, true, closedByClient, nullptr);
        m_stopSwitch.removeSocket(sock);
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return answered;
}

} // namespace marquetrix::resolver
