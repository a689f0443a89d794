#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace marquetrix {

// The bounded pipe between the RTSP worker (writer) and libVLC's input thread (reader).
// The writer waits while the pipe is full, so a reader that falls behind slows the session
// down instead of growing memory without limit.
class RtspByteQueue
{
public:
    explicit RtspByteQueue(size_t capacity);

    // Waits for room; false when the queue was cancelled (the bytes are dropped).
    bool write(const uint8_t *data, size_t size);
    // No more bytes will come: readers get what is left, then the end.
    void finish();
    // Wakes every waiting reader and writer at once; reads fail from now on.
    void cancel();
    // Empties the queue for a new session.
    void reset();

    // Waits for bytes, the end or a cancel. Returns the bytes copied, 0 at the end,
    // -1 when cancelled.
    int64_t read(uint8_t *buffer, size_t size);

private:
    const size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_readable;
    std::condition_variable m_writable;
    std::deque<std::vector<uint8_t>> m_chunks;
    size_t m_frontOffset = 0;
    size_t m_size = 0;
    bool m_finished = false;
    bool m_cancelled = false;
};

} // namespace marquetrix
