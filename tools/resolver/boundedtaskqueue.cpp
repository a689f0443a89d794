#include "boundedtaskqueue.h"

namespace marquetrix::resolver {

BoundedTaskQueue::BoundedTaskQueue(std::size_t workers, std::size_t maxWaiting)
    : m_maxWaiting(maxWaiting)
{
    for (std::size_t i = 0; i < workers; ++i) {
        m_workers.emplace_back([this] { work(); });
    }
}

BoundedTaskQueue::~BoundedTaskQueue()
{
    shutdown();
}

void BoundedTaskQueue::enqueue(std::function<void()> task)
{
    std::unique_lock lock(m_mutex);
    m_roomFreed.wait(lock, [this] { return m_waiting.size() < m_maxWaiting || m_stopping; });
    // After shutdown the task still runs on this thread: it owns a connection that only
    // it closes.
    if (m_stopping) {
        lock.unlock();
        task();
        return;
    }
    m_waiting.push_back(std::move(task));
    m_taskReady.notify_one();
}

void BoundedTaskQueue::shutdown()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_stopping = true;
    }
    m_taskReady.notify_all();
    m_roomFreed.notify_all();
    for (std::thread &worker : m_workers) {
        worker.join();
    }
}

void BoundedTaskQueue::work()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_taskReady.wait(lock, [this] { return !m_waiting.empty() || m_stopping; });
            if (m_waiting.empty()) {
                return;
            }
            task = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        m_roomFreed.notify_one();
        task();
    }
}

} // namespace marquetrix::resolver
