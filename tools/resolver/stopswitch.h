#pragma once

#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <set>

namespace marquetrix::resolver {

// Lets a stop of the service cut short whatever its requests wait for: the client
// connections are shut down and the yt-dlp process groups killed, so that every worker
// ends within moments, whatever its client or the page it loads does.
class StopSwitch
{
public:
    bool tripped() const { return m_tripped.load(); }
    void trip();

    // Each returns false once tripped: the caller gives up at once. A socket or group
    // leaves the switch before it is closed or reaped, so its number is never reused
    // while the switch holds it.
    bool addSocket(int fd);
    void removeSocket(int fd);
    bool addProcessGroup(pid_t group);
    void removeProcessGroup(pid_t group);

private:
    std::atomic<bool> m_tripped{false};
    std::mutex m_mutex;
    std::set<int> m_sockets;
    std::set<pid_t> m_groups;
};

} // namespace marquetrix::resolver
