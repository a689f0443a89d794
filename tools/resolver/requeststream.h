#pragma once

#include <httplib.h>

#include <array>
#include <chrono>

namespace marquetrix::resolver {

// A client connection as the HTTP library reads and writes it, with one deadline for
// everything read from it: a client that sends its request a byte at a time cannot hold
// a thread for longer than that. (The library's own stream bounds each read alone.)
class RequestStream : public httplib::Stream
{
public:
    using Clock = std::chrono::steady_clock;

    RequestStream(int fd, Clock::time_point readDeadline, std::chrono::milliseconds writeTimeout);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char *ptr, size_t size) override;
    ssize_t write(const char *ptr, size_t size) override;
    void get_remote_ip_and_port(std::string &ip, int &port) const override;
    void get_local_ip_and_port(std::string &ip, int &port) const override;
    socket_t socket() const override { return m_fd; }

    // Whether the connection this thread serves ran out of time to send its request.
    static bool readDeadlinePassed();

private:
    int m_fd;
    Clock::time_point m_readDeadline;
    std::chrono::milliseconds m_writeTimeout;
    // The library reads request lines a byte at a time.
    std::array<char, 4096> m_buffer{};
    std::size_t m_buffered = 0;
    std::size_t m_taken = 0;
};

} // namespace marquetrix::resolver
