#include "requeststream.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace marquetrix::resolver {

namespace {

thread_local bool deadlinePassed = false;

bool waitFor(int fd, short events, std::chrono::milliseconds timeout)
{
    for (;;) {
        pollfd waiting{fd, events, 0};
        const int ready =
            poll(&waiting, 1, static_cast<int>(std::max<long long>(timeout.count(), 0)));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

void describe(const sockaddr_storage &address, socklen_t length, std::string &ip, int &port)
{
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr *>(&address), length, host, sizeof host,
                    service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
        ip = host;
        port = std::atoi(service);
    }
}

} // namespace

RequestStream::RequestStream(int fd, Clock::time_point readDeadline,
                             std::chrono::milliseconds writeTimeout)
    : m_fd(fd), m_readDeadline(readDeadline), m_writeTimeout(writeTimeout)
{
    deadlinePassed = false;
}

bool RequestStream::readDeadlinePassed()
{
    return deadlinePassed;
}

bool RequestStream::is_readable() const
{
    if (m_taken < m_buffered) {
        return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_readDeadline - Clock::now());
    deadlinePassed = left.count() <= 0 || !waitFor(m_fd, POLLIN, left);
    return !deadlinePassed;
}

bool RequestStream::is_writable() const
{
    return waitFor(m_fd, POLLOUT, m_writeTimeout);
}

ssize_t RequestStream::read(char *ptr, size_t size)
{
    if (m_taken == m_buffered) {
        if (!is_readable()) {
            return -1;
        }
        ssize_t got = 0;
        do {
            got = recv(m_fd, m_buffer.data(), m_buffer.size(), 0);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            return got;
        }
        m_buffered = static_cast<std::size_t>(got);
        m_taken = 0;
    }
    const std::size_t count = std::min(size, m_buffered - m_taken);
    std::memcpy(ptr, m_buffer.data() + m_taken, count);
    m_taken += count;
    return static_cast<ssize_t>(count);
}

ssize_t RequestStream::write(const char *ptr, size_t size)
{
    if (!is_writable()) {
        return -1;
    }
    ssize_t sent = 0;
    do {
        sent = send(m_fd, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void RequestStream::get_remote_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
        describe(address, length, ip, port);
    }
}

void RequestStream::get_local_ip_and_port(std::string &ip, int &port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
        describe(address, length, ip, port);
    }
}

} // namespace marquetrix::resolver
