#include "stopswitch.h"

#include <csignal>
#include <sys/socket.h>

namespace marquetrix::resolver {

void StopSwitch::trip()
{
    const std::lock_guard lock(m_mutex);
    m_tripped = true;
    // Shutting a socket down wakes the thread blocked on it; closing it stays the
    // business of that thread.
    for (const int fd : m_sockets) {
        shutdown(fd, SHUT_RDWR);
    }
    for (const pid_t group : m_groups) {
        kill(-group, SIGKILL);
    }
}

bool StopSwitch::addSocket(int fd)
{
    const std::lock_guard lock(m_mutex);
    if (m_tripped) {
        return false;
    }
    m_sockets.insert(fd);
    return true;
}

void StopSwitch::removeSocket(int fd)
{
    const std::lock_guard lock(m_mutex);
    m_sockets.erase(fd);
}

bool StopSwitch::addProcessGroup(pid_t group)
{
    const std::lock_guard lock(m_mutex);
    if (m_tripped) {
        return false;
    }
    m_groups.insert(group);
    return true;
}

void StopSwitch::removeProcessGroup(pid_t group)
{
    const std::lock_guard lock(m_mutex);
    m_groups.erase(group);
}

} // namespace marquetrix::resolver
