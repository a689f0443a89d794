#include "rtspbytequeue.h"

#include <algorithm>
#include <cstring>

namespace marquetrix {

RtspByteQueue::RtspByteQueue(size_t capacity) : m_capacity(capacity) {}

bool RtspByteQueue::write(const uint8_t *data, size_t size)
{
    std::unique_lock lock(m_mutex);
    // A chunk larger than the whole capacity is still let in once the queue is empty.
    m_writable.wait(lock,
                    [&] { return m_cancelled || m_size == 0 || m_size + size <= m_capacity; });
    if (m_cancelled)
        return false;
    m_chunks.emplace_back(data, data + size);
    m_size += size;
    m_readable.notify_all();
    return true;
}

void RtspByteQueue::finish()
{
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_readable.notify_all();
}

void RtspByteQueue::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    m_readable.notify_all();
    m_writable.notify_all();
}

void RtspByteQueue::reset()
{
    std::lock_guard lock(m_mutex);
    m_chunks.clear();
    m_frontOffset = 0;
    m_size = 0;
    m_finished = false;
    m_cancelled = false;
}

int64_t RtspByteQueue::read(uint8_t *buffer, size_t size)
{
    std::unique_lock lock(m_mutex);
    m_readable.wait(lock, [&] { return m_cancelled || m_size > 0 || m_finished; });
    if (m_cancelled)
        return -1;
    size_t copied = 0;
    while (copied < size && !m_chunks.empty()) {
        const std::vector<uint8_t> &front = m_chunks.front();
        const size_t n = std::min(size - copied, front.size() - m_frontOffset);
        std::memcpy(buffer + copied, front.data() + m_frontOffset, n);
        copied += n;
        m_frontOffset += n;
        if (m_frontOffset == front.size()) {
            m_chunks.pop_front();
            m_frontOffset = 0;
        }
    }
    m_size -= copied;
    if (copied > 0)
        m_writable.notify_all();
    return static_cast<int64_t>(copied);
}

} // namespace marquetrix
