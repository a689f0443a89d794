#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace marquetrix::resolver {

// The server's connection queue: a fixed number of workers, and a bounded number of
// connections waiting for one. When the wait list is full the accepting thread blocks,
// so further clients wait in the system's listen backlog instead of in our memory.
// (The library's own pool queues without limit.)
class BoundedTaskQueue : public httplib::TaskQueue
{
public:
    BoundedTaskQueue(std::size_t workers, std::size_t maxWaiting);
    ~BoundedTaskQueue() override;

    BoundedTaskQueue(const BoundedTaskQueue &) = delete;
    BoundedTaskQueue &operator=(const BoundedTaskQueue &) = delete;

    void enqueue(std::function<void()> task) override;
    void shutdown() override;

private:
    void work();

    std::size_t m_maxWaiting;
    std::vector<std::thread> m_workers;
    std::deque<std::function<void()>> m_waiting;
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_taskReady;
    std::condition_variable m_roomFreed;
};

} // namespace marquetrix::resolver
